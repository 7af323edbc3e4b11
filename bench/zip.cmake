kep_add_bench(bench_zip SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/zip_bench.cpp LIBS kep_project_model)
