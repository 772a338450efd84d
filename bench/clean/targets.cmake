add_executable(clean_bench ${CMAKE_SOURCE_DIR}/bench/clean/clean_bench.cpp ${CMAKE_SOURCE_DIR}/tools/agentctl/seed.cpp
                           ${CMAKE_SOURCE_DIR}/tests/support/run_process.cpp ${BPRIV_RC})
target_include_directories(clean_bench PRIVATE ${CMAKE_SOURCE_DIR}/tools/agentctl ${CMAKE_SOURCE_DIR}/tests
                           ${BPRIV_RC_INCLUDES})
target_link_libraries(clean_bench PRIVATE bpriv_win psapi)
add_dependencies(clean_bench BPrivSvc)
