list(APPEND BPRIV_PURE_TESTS
  ${CMAKE_CURRENT_LIST_DIR}/random_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/overwrite_passes_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/scramble_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/stream_walk_test.cpp
)
list(APPEND BPRIV_WIN_TESTS
  ${CMAKE_CURRENT_LIST_DIR}/file_wiper_win_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/scramble_name_win_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/system_error_win_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wipe_settings_win_test.cpp
)
