kep_add_bench(bench_tab_load SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/tab_load.cpp LIBS kep_processor_model kep_tools_model)
kep_add_bench(bench_proc_load SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/proc_load.cpp LIBS kep_processor_model)
# Opening a project's sources with the table chosen from their directives.
if(NOT KEP_ONLY_MODELS)
  kep_add_bench(bench_table_choice SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/table_choice.cpp LIBS kep_editor Qt6::Widgets)
  target_compile_definitions(bench_table_choice PRIVATE KEP_TABLES_DIR="${KEP_TABLES_DIR}/")
  add_dependencies(bench_table_choice kep_processor_tables)
endif()
