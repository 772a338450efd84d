set(BPRIV_LINK_BENCH_DIR ${CMAKE_SOURCE_DIR}/bench/link)
add_executable(bare_window WIN32 ${BPRIV_LINK_BENCH_DIR}/bare_window.cpp)
target_link_options(bare_window PRIVATE -municode)
add_executable(bare_window_calls WIN32 ${BPRIV_LINK_BENCH_DIR}/bare_window.cpp)
target_compile_definitions(bare_window_calls PRIVATE BARE_REQUIRED_CALLS)
target_link_options(bare_window_calls PRIVATE -municode)
target_link_libraries(bare_window_calls PRIVATE ole32 comctl32)

add_executable(link_bench ${BPRIV_LINK_BENCH_DIR}/link_bench.cpp
                          ${CMAKE_SOURCE_DIR}/tests/support/run_process.cpp)
target_include_directories(link_bench PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_options(link_bench PRIVATE -municode)
target_link_libraries(link_bench PRIVATE bpriv_win)
add_dependencies(link_bench bare_window bare_window_calls BPrivSvc agentctl)
