list(APPEND BPRIV_PURE_BENCH
  ${CMAKE_CURRENT_LIST_DIR}/fill_random_bench.cpp
)
list(APPEND BPRIV_WIN_BENCH
  ${CMAKE_CURRENT_LIST_DIR}/wipe_bench_win.cpp
)
