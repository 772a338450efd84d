list(APPEND BPRIV_PURE_TESTS ${CMAKE_CURRENT_LIST_DIR}/data_formats_test.cpp)
