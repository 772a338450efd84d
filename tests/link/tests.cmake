list(APPEND BPRIV_PURE_TESTS ${CMAKE_CURRENT_LIST_DIR}/record_format_test.cpp)
list(APPEND BPRIV_WIN_TESTS ${CMAKE_CURRENT_LIST_DIR}/listing_window_test.cpp ${CMAKE_CURRENT_LIST_DIR}/history_listing_e2e_test.cpp)
