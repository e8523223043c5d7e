target_sources(tagwright_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/settings.cpp
)
