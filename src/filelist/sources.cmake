target_sources(tagwright_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/drop_logic.cpp
  ${CMAKE_CURRENT_LIST_DIR}/folder_chooser.cpp
  ${CMAKE_CURRENT_LIST_DIR}/folder_search.cpp
  ${CMAKE_CURRENT_LIST_DIR}/grid_state.cpp
  ${CMAKE_CURRENT_LIST_DIR}/list_commands.cpp
  ${CMAKE_CURRENT_LIST_DIR}/list_store.cpp
)
