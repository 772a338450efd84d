# The product data folder: where it is, the files in it and how they are written.
list(APPEND BPRIV_PURE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/name_list.cpp ${CMAKE_CURRENT_LIST_DIR}/saved_cookies.cpp)
list(APPEND BPRIV_WIN_SOURCES ${CMAKE_CURRENT_LIST_DIR}/data_folder.cpp ${CMAKE_CURRENT_LIST_DIR}/name_list_file.cpp
     ${CMAKE_CURRENT_LIST_DIR}/saved_digest.cpp)
