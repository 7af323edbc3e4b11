# The terminal window while text streams in, and flooded, against the same
# bytes without it.
if(NOT KEP_ONLY_MODELS)
  kep_add_bench(bench_comms_window SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/comms_window.cpp LIBS kep_serial Qt6::Widgets)
endif()
