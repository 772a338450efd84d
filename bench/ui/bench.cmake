# The dialog tick benchmark: it creates dialogs from the resource template, so
# it is made once the resource script is known.
if(WIN32)
  set(BPRIV_UI_BENCH_TARGETS ${CMAKE_CURRENT_LIST_DIR}/targets.cmake)
  cmake_language(DEFER CALL include ${BPRIV_UI_BENCH_TARGETS})
endif()
