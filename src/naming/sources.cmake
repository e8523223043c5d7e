target_sources(tagwright_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/settings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/settings_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/char_conversion.cpp
  ${CMAKE_CURRENT_LIST_DIR}/field_selection.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rule_composer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rule_editing.cpp
  ${CMAKE_CURRENT_LIST_DIR}/safe_name.cpp
  ${CMAKE_CURRENT_LIST_DIR}/name_key.cpp
)
