# clean_bench: the cleaning jobs against their bare platform costs, measured
# side by side in one run (not a timed test). Made once the whole tree is
# known: it needs the resources (dialog, strings) the handler loads.
if(WIN32)
  set(BPRIV_CLEAN_BENCH_TARGETS ${CMAKE_CURRENT_LIST_DIR}/targets.cmake)
  cmake_language(DEFER CALL include ${BPRIV_CLEAN_BENCH_TARGETS})
  add_executable(fav_cookies_bench ${CMAKE_CURRENT_LIST_DIR}/fav_cookies_bench.cpp
                                   ${CMAKE_SOURCE_DIR}/tools/agentctl/seed.cpp)
  target_link_libraries(fav_cookies_bench PRIVATE bpriv_win)
  target_include_directories(fav_cookies_bench PRIVATE ${CMAKE_SOURCE_DIR}/tools/agentctl)
  set_target_properties(fav_cookies_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
endif()
