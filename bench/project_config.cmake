kep_add_bench(bench_project_config SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/project_config_bench.cpp
  LIBS kep_project_model kep_config_model)
