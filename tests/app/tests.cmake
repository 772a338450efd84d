list(APPEND BPRIV_PURE_TESTS ${CMAKE_CURRENT_LIST_DIR}/command_line_test.cpp)
list(APPEND BPRIV_WIN_TESTS ${CMAKE_CURRENT_LIST_DIR}/dispatch_test.cpp ${CMAKE_CURRENT_LIST_DIR}/resources_test.cpp)
