list(APPEND BPRIV_PURE_TESTS ${CMAKE_CURRENT_LIST_DIR}/cookie_export_test.cpp)
list(APPEND BPRIV_WIN_TESTS
     ${CMAKE_CURRENT_LIST_DIR}/fake_url_cache.cpp
     ${CMAKE_CURRENT_LIST_DIR}/url_cache_test.cpp
     ${CMAKE_CURRENT_LIST_DIR}/cache_listings_test.cpp
     ${CMAKE_CURRENT_LIST_DIR}/history_walks_test.cpp
     ${CMAKE_SOURCE_DIR}/tools/agentctl/seed.cpp)
if(WIN32)
  add_test(NAME FormatFileTimeAtUtcPlusTwo
           COMMAND ${CMAKE_COMMAND} -E env TZ=UTC-2 BPRIV_TEST_ZONE=1 ${CMAKE_BINARY_DIR}/wine-run
                   ${CMAKE_BINARY_DIR}/bin/win_tests.exe --gtest_filter=FormatFileTimeInZone.*)
  set_tests_properties(FormatFileTimeAtUtcPlusTwo PROPERTIES FIXTURES_REQUIRED wine RESOURCE_LOCK wineprefix
                       PASS_REGULAR_EXPRESSION "\\[  PASSED  \\] 1 test\\." FAIL_REGULAR_EXPRESSION "SKIPPED|FAILED")
endif()
