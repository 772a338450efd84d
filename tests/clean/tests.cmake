list(APPEND BPRIV_WIN_TESTS ${CMAKE_CURRENT_LIST_DIR}/clear_history_test.cpp)
