# The file-safety room: the one way the agent opens what it writes, renames or deletes.
list(APPEND BPRIV_PURE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/safe_path.cpp)
list(APPEND BPRIV_WIN_SOURCES ${CMAKE_CURRENT_LIST_DIR}/safe_file.cpp)
