# Syntax colouring: styles and their stored form, the shared vocabulary, the
# tokeniser and the per-line context states.
target_sources(kep_editor_model PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/U_Directives.cpp ${CMAKE_CURRENT_LIST_DIR}/U_Directives.h
  ${CMAKE_CURRENT_LIST_DIR}/U_SyntaxeStyles.cpp ${CMAKE_CURRENT_LIST_DIR}/U_SyntaxeStyles.h
  ${CMAKE_CURRENT_LIST_DIR}/U_Syntaxe.cpp ${CMAKE_CURRENT_LIST_DIR}/U_Syntaxe.h
  ${CMAKE_CURRENT_LIST_DIR}/LineStates.cpp ${CMAKE_CURRENT_LIST_DIR}/LineStates.h
)
target_link_libraries(kep_editor_model PUBLIC kep_processor_model)
