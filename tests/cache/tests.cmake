list(APPEND BPRIV_PURE_TESTS ${CMAKE_CURRENT_LIST_DIR}/cookie_export_test.cpp)
