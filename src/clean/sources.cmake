list(APPEND BPRIV_WIN_SOURCES ${CMAKE_CURRENT_LIST_DIR}/clear_history.cpp)
list(APPEND BPRIV_PURE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/fav_name_list.cpp)
list(APPEND BPRIV_WIN_SOURCES ${CMAKE_CURRENT_LIST_DIR}/fav_folders.cpp ${CMAKE_CURRENT_LIST_DIR}/fav_list.cpp)
list(APPEND BPRIV_PURE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/cookie_name.cpp)
list(APPEND BPRIV_WIN_SOURCES ${CMAKE_CURRENT_LIST_DIR}/clean_job.cpp ${CMAKE_CURRENT_LIST_DIR}/clear_temp_files.cpp
     ${CMAKE_CURRENT_LIST_DIR}/clear_cookies.cpp)
if(NOT EXISTS ${CMAKE_SOURCE_DIR}/src/ui/wipe_progress_dlg.cpp)  # until the dialog lands
  list(APPEND BPRIV_WIN_SOURCES ${CMAKE_CURRENT_LIST_DIR}/progress_dlg_standin.cpp)
endif()
