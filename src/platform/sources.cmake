target_sources(tagwright_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/result.cpp
  ${CMAKE_CURRENT_LIST_DIR}/path.cpp
  ${CMAKE_CURRENT_LIST_DIR}/console.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cp932.cpp
  ${CMAKE_CURRENT_LIST_DIR}/special_folders.cpp
  ${CMAKE_CURRENT_LIST_DIR}/utf8.cpp
  ${CMAKE_CURRENT_LIST_DIR}/name_limit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/file_system_steps.cpp
  ${CMAKE_CURRENT_LIST_DIR}/durable_log.cpp
  ${CMAKE_CURRENT_LIST_DIR}/json_line.cpp
)
if(WIN32)
  target_sources(tagwright_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/file_system_win.cpp)
  target_link_libraries(tagwright_core PUBLIC shell32 ole32 uuid)
else()
  target_sources(tagwright_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/file_system_posix.cpp)
endif()
