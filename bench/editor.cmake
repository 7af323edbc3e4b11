# The editor control beside QScintilla (a benchmark-only dependency).
if(NOT KEP_ONLY_MODELS)
  find_library(QSCINTILLA_LIB qscintilla2_qt6)
  find_path(QSCINTILLA_INCLUDE Qsci/qsciscintilla.h PATH_SUFFIXES x86_64-linux-gnu/qt6 qt6)
  if(QSCINTILLA_LIB AND QSCINTILLA_INCLUDE)
    kep_add_bench(bench_editor_compare SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/editor_compare.cpp
      LIBS kep_editor ${QSCINTILLA_LIB} Qt6::Widgets)
    target_include_directories(bench_editor_compare PRIVATE ${QSCINTILLA_INCLUDE})
  else()
    message(STATUS "QScintilla not found: bench_editor_compare is not built")
  endif()
endif()

# A typed key with accessibility on, in a large file against a small one.
if(NOT KEP_ONLY_MODELS)
  kep_add_bench(bench_editor_access SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/editor_access.cpp LIBS kep_editor Qt6::Widgets)
endif()
