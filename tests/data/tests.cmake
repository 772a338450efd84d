list(APPEND BPRIV_PURE_TESTS ${CMAKE_CURRENT_LIST_DIR}/name_list_test.cpp ${CMAKE_CURRENT_LIST_DIR}/saved_cookies_test.cpp)
