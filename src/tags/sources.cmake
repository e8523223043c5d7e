target_sources(tagwright_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/mp3_tag.cpp
  ${CMAKE_CURRENT_LIST_DIR}/id3v2.cpp
  ${CMAKE_CURRENT_LIST_DIR}/id3v2_frame_table.cpp
  ${CMAKE_CURRENT_LIST_DIR}/id3v2_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/music_genre.cpp
  ${CMAKE_CURRENT_LIST_DIR}/read_tags.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tag_cache.cpp
)
