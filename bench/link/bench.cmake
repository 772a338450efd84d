# The link benchmark: its own programs, made once the whole tree is known
# (they need the Windows tree's definitions and output folder).
if(WIN32)
  set(BPRIV_LINK_BENCH_TARGETS ${CMAKE_CURRENT_LIST_DIR}/targets.cmake)
  cmake_language(DEFER CALL include ${BPRIV_LINK_BENCH_TARGETS})
endif()
