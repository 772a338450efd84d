list(APPEND BPRIV_PURE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/progress_tick.cpp
)
list(APPEND BPRIV_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/tray_icon.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wipe_progress_dlg.cpp
)
