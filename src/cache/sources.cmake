list(APPEND BPRIV_WIN_SOURCES ${CMAKE_CURRENT_LIST_DIR}/url_history.cpp)
list(APPEND BPRIV_WIN_SOURCES
     ${CMAKE_CURRENT_LIST_DIR}/wininet_url_cache.cpp
     ${CMAKE_CURRENT_LIST_DIR}/url_cache_enumerator.cpp
     ${CMAKE_CURRENT_LIST_DIR}/cache_entry_reader.cpp
     ${CMAKE_CURRENT_LIST_DIR}/format_file_time.cpp)
list(APPEND BPRIV_PURE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/cookie_export.cpp)
list(APPEND BPRIV_WIN_SOURCES ${CMAKE_CURRENT_LIST_DIR}/list_temp_files.cpp ${CMAKE_CURRENT_LIST_DIR}/list_cookies.cpp
     ${CMAKE_CURRENT_LIST_DIR}/listing_jobs.cpp)
list(APPEND BPRIV_WIN_SOURCES ${CMAKE_CURRENT_LIST_DIR}/history_listing.cpp ${CMAKE_CURRENT_LIST_DIR}/history_store_walk.cpp ${CMAKE_CURRENT_LIST_DIR}/history_folder_walk.cpp)
