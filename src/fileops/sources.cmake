target_sources(tagwright_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/file_outcome.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rename_batch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/move_batch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dry_run_file_system.cpp
  ${CMAKE_CURRENT_LIST_DIR}/batch_plan.cpp
  ${CMAKE_CURRENT_LIST_DIR}/journal.cpp
  ${CMAKE_CURRENT_LIST_DIR}/journaled_file_system.cpp
  ${CMAKE_CURRENT_LIST_DIR}/undo.cpp
)
