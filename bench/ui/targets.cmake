add_executable(tick_bench ${CMAKE_SOURCE_DIR}/bench/ui/tick_bench.cpp ${BPRIV_RC})
target_include_directories(tick_bench PRIVATE ${BPRIV_RC_INCLUDES})
target_link_options(tick_bench PRIVATE -municode)
target_link_libraries(tick_bench PRIVATE bpriv_win)
