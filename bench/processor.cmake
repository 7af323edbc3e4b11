kep_add_bench(bench_tab_load SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/tab_load.cpp LIBS kep_processor_model kep_tools_model)
kep_add_bench(bench_proc_load SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/proc_load.cpp LIBS kep_processor_model)
