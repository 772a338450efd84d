list(APPEND BPRIV_PURE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/record_format.cpp ${CMAKE_CURRENT_LIST_DIR}/process_name.cpp)
list(APPEND BPRIV_WIN_SOURCES ${CMAKE_CURRENT_LIST_DIR}/listing_window.cpp ${CMAKE_CURRENT_LIST_DIR}/send_record.cpp
     ${CMAKE_CURRENT_LIST_DIR}/controller_watch.cpp)
