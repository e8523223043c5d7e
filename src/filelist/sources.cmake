target_sources(tagwright_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/list_store.cpp
)
