list(APPEND BPRIV_PURE_TESTS ${CMAKE_CURRENT_LIST_DIR}/record_format_test.cpp ${CMAKE_CURRENT_LIST_DIR}/process_name_test.cpp)
