# cache_bench: the cookie listing and the favourite list against their bare
# platform costs, measured side by side in one run (not a timed test).
if(WIN32)
  add_executable(cache_bench ${CMAKE_CURRENT_LIST_DIR}/cache_bench.cpp ${CMAKE_SOURCE_DIR}/tools/agentctl/seed.cpp
                             ${CMAKE_SOURCE_DIR}/tests/support/run_process.cpp)
  target_link_libraries(cache_bench PRIVATE bpriv_win)
  target_include_directories(cache_bench PRIVATE ${CMAKE_SOURCE_DIR}/tools/agentctl ${CMAKE_SOURCE_DIR}/tests)
  set_target_properties(cache_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  add_dependencies(cache_bench BPrivSvc agentctl)
endif()
