list(APPEND BPRIV_WIN_SOURCES ${CMAKE_CURRENT_LIST_DIR}/url_history.cpp)
list(APPEND BPRIV_WIN_SOURCES ${CMAKE_CURRENT_LIST_DIR}/history_listing.cpp ${CMAKE_CURRENT_LIST_DIR}/history_store_walk.cpp ${CMAKE_CURRENT_LIST_DIR}/history_folder_walk.cpp)
