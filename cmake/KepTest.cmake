# kep_add_test(NAME SOURCES ... LIBS ... [GUI] [TABLES])
# TABLES: the test reads the shipped processor tables, in KEP_TABLES_DIR.
# A model test links plain GoogleTest; a GUI test gets a QApplication in its
# main and runs on the offscreen platform. GUI tests are skipped in the
# models-only tree.
include(GoogleTest)
find_package(GTest REQUIRED)

# What every test file is built with. The test code itself is not optimised:
# it runs once, and optimising its assertion templates took a third of its
# build (the code under test keeps the tree's flags).
function(kep_test_flags name)
  # Full debug information makes the test files take two thirds longer to
  # build; line tables are enough for the traces of a failing test or of
  # the sanitizers.
  target_compile_options(${name} PRIVATE $<$<CONFIG:RelWithDebInfo,Debug>:-g1> -O0)
  target_compile_definitions(${name} PRIVATE
    KEP_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data"
    KEP_BINARY_DIR="${PROJECT_BINARY_DIR}"
    KEP_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
endfunction()

# Widget tests share one precompiled header (kep_testmain_gui builds it), which
# needs the same macros in every one of them: all the Qt modules the program
# uses, the tables folder, and none of QtTest's per-folder test-data paths
# (no test looks its data up through them).
function(kep_gui_test_flags name)
  kep_test_flags(${name})
  target_link_libraries(${name} PRIVATE GTest::gtest Qt6::Widgets Qt6::Test Qt6::PrintSupport Qt6::SerialPort
    Qt6::Network)
  target_compile_options(${name} PRIVATE -UQT_TESTCASE_BUILDDIR -UQT_TESTCASE_SOURCEDIR -Winvalid-pch)
  target_compile_definitions(${name} PRIVATE KEP_TABLES_DIR="${KEP_TABLES_DIR}")
endfunction()

function(kep_add_test name)
  cmake_parse_arguments(T "GUI;TABLES" "" "SOURCES;LIBS;LABELS" ${ARGN})
  if(T_GUI AND KEP_ONLY_MODELS)
    return()
  endif()
  add_executable(${name} ${T_SOURCES})
  if(T_GUI)
    target_link_libraries(${name} PRIVATE ${T_LIBS} kep_testmain_gui)
    kep_gui_test_flags(${name})
    target_precompile_headers(${name} REUSE_FROM kep_testmain_gui)
    set(labels gui ${T_LABELS})
  else()
    target_link_libraries(${name} PRIVATE ${T_LIBS} kep_testmain GTest::gtest)
    kep_test_flags(${name})
    target_compile_options(${name} PRIVATE -Winvalid-pch)
    target_precompile_headers(${name} REUSE_FROM kep_testmain)
    set(labels model ${T_LABELS})
  endif()
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  if(T_TABLES)
    if(NOT T_GUI)
      target_compile_definitions(${name} PRIVATE KEP_TABLES_DIR="${KEP_TABLES_DIR}")
    endif()
    add_dependencies(${name} kep_processor_tables)
  endif()
  string(REPLACE ";" "\\;" labels "${labels}")
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS "${labels}" ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
