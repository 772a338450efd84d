list(APPEND BPRIV_PURE_TESTS
  ${CMAKE_CURRENT_LIST_DIR}/progress_tick_test.cpp
)
list(APPEND BPRIV_WIN_TESTS
  ${CMAKE_CURRENT_LIST_DIR}/wipe_progress_dlg_test.cpp
)
