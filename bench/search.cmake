kep_add_bench(bench_search SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/search_bench.cpp LIBS kep_editor_model)
