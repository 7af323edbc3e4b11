# The serial port's receive path against socat moving the same bytes, and the
# decoder of the line discipline's marks.
if(NOT KEP_ONLY_MODELS)
  kep_add_bench(bench_serial SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/serial_bench.cpp LIBS kep_serial Qt6::Core)
  target_include_directories(bench_serial PRIVATE ${PROJECT_SOURCE_DIR}/tests)
endif()
