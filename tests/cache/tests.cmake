list(APPEND BPRIV_PURE_TESTS ${CMAKE_CURRENT_LIST_DIR}/cookie_export_test.cpp)
list(APPEND BPRIV_WIN_TESTS
     ${CMAKE_CURRENT_LIST_DIR}/fake_url_cache.cpp
     ${CMAKE_CURRENT_LIST_DIR}/url_cache_test.cpp
     ${CMAKE_CURRENT_LIST_DIR}/cache_listings_test.cpp
     ${CMAKE_CURRENT_LIST_DIR}/history_walks_test.cpp
     ${CMAKE_SOURCE_DIR}/tools/agentctl/seed.cpp)
if(WIN32)
  foreach(zone "UtcPlusTwo;UTC-2;-120" "ADaylightZone;EST5EDT;300")
    list(GET zone 0 name)
    list(GET zone 1 tz)
    list(GET zone 2 bias)
    add_test(NAME FormatFileTimeAt${name}
             COMMAND ${CMAKE_COMMAND} -E env TZ=${tz} BPRIV_TEST_BIAS=${bias} ${CMAKE_BINARY_DIR}/wine-run
                     ${CMAKE_BINARY_DIR}/bin/win_tests.exe --gtest_filter=FormatFileTimeInZone.*)
    set_tests_properties(FormatFileTimeAt${name} PROPERTIES FIXTURES_REQUIRED wine RESOURCE_LOCK wineprefix
                         PASS_REGULAR_EXPRESSION "\\[  PASSED  \\] 1 test\\." FAIL_REGULAR_EXPRESSION "SKIPPED|FAILED")
  endforeach()
endif()
