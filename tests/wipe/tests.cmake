list(APPEND BPRIV_PURE_TESTS
  ${CMAKE_CURRENT_LIST_DIR}/random_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wipe_algo_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/overwrite_passes_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/progress_text_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/stream_walk_test.cpp
)
