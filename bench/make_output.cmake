# A build that floods its output window, against the same tool writing to /dev/null.
if(NOT KEP_ONLY_MODELS)
  kep_add_bench(bench_make_output SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/make_output.cpp LIBS kep_build Qt6::Widgets)
  target_compile_definitions(bench_make_output PRIVATE KEP_BINARY_DIR="${PROJECT_BINARY_DIR}")
endif()
