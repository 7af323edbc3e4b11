kep_add_bench(bench_colouring SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/colouring_bench.cpp LIBS kep_editor_model)
