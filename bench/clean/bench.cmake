# fav_cookies_bench: the save and the restore of favourite cookies against
# bare loops of the same platform calls, side by side in one run.
if(WIN32)
  add_executable(fav_cookies_bench ${CMAKE_CURRENT_LIST_DIR}/fav_cookies_bench.cpp
                                   ${CMAKE_SOURCE_DIR}/tools/agentctl/seed.cpp)
  target_link_libraries(fav_cookies_bench PRIVATE bpriv_win)
  target_include_directories(fav_cookies_bench PRIVATE ${CMAKE_SOURCE_DIR}/tools/agentctl)
  set_target_properties(fav_cookies_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
endif()
