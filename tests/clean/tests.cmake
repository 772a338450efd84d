list(APPEND BPRIV_WIN_TESTS ${CMAKE_CURRENT_LIST_DIR}/clear_history_test.cpp)
list(APPEND BPRIV_PURE_TESTS ${CMAKE_CURRENT_LIST_DIR}/fav_name_list_test.cpp)
list(APPEND BPRIV_WIN_TESTS ${CMAKE_CURRENT_LIST_DIR}/fav_list_test.cpp)
