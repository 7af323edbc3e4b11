# kep_add_test(NAME SOURCES ... LIBS ... [GUI] [TABLES])
# TABLES: the test reads the shipped processor tables, in KEP_TABLES_DIR.
# A model test links plain GoogleTest; a GUI test gets a QApplication in its
# main and runs on the offscreen platform. GUI tests are skipped in the
# models-only tree.
include(GoogleTest)
find_package(GTest REQUIRED)

function(kep_add_test name)
  cmake_parse_arguments(T "GUI;TABLES" "" "SOURCES;LIBS;LABELS" ${ARGN})
  if(T_GUI AND KEP_ONLY_MODELS)
    return()
  endif()
  add_executable(${name} ${T_SOURCES})
  if(T_GUI)
    target_link_libraries(${name} PRIVATE ${T_LIBS} kep_testmain_gui GTest::gtest Qt6::Widgets Qt6::Test)
    set(labels gui ${T_LABELS})
  else()
    target_link_libraries(${name} PRIVATE ${T_LIBS} kep_testmain GTest::gtest)
    set(labels model ${T_LABELS})
  endif()
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  # Full debug information makes the test files, heavy with assertion
  # templates, take two thirds longer to build; line tables are enough for
  # the traces of a failing test or of the sanitizers.
  target_compile_options(${name} PRIVATE $<$<CONFIG:RelWithDebInfo,Debug>:-g1>)
  target_compile_definitions(${name} PRIVATE
    KEP_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data"
    KEP_BINARY_DIR="${PROJECT_BINARY_DIR}"
    KEP_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  if(T_TABLES)
    target_compile_definitions(${name} PRIVATE KEP_TABLES_DIR="${KEP_TABLES_DIR}")
    add_dependencies(${name} kep_processor_tables)
  endif()
  string(REPLACE ";" "\\;" labels "${labels}")
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS "${labels}" ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
