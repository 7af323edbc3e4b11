kep_add_bench(bench_print SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/print_bench.cpp LIBS kep_editor Qt6::Widgets)
