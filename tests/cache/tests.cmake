list(APPEND BPRIV_WIN_TESTS ${CMAKE_CURRENT_LIST_DIR}/history_store_walk_test.cpp ${CMAKE_CURRENT_LIST_DIR}/history_folder_walk_test.cpp)
