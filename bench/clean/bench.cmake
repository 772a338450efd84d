# clean_bench: the cleaning jobs against their bare platform costs, measured
# side by side in one run (not a timed test). Made once the whole tree is
# known: it needs the resources (dialog, strings) the handler loads.
if(WIN32)
  set(BPRIV_CLEAN_BENCH_TARGETS ${CMAKE_CURRENT_LIST_DIR}/targets.cmake)
  cmake_language(DEFER CALL include ${BPRIV_CLEAN_BENCH_TARGETS})
endif()
