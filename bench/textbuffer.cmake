kep_add_bench(bench_textbuffer SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/textbuffer_bench.cpp LIBS kep_editor_model)
