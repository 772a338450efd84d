list(APPEND BPRIV_PURE_TESTS ${CMAKE_CURRENT_LIST_DIR}/data_formats_test.cpp)
if(WIN32)
  add_test(NAME PlantedSymlinkKeepsItsTarget
           COMMAND ${CMAKE_CURRENT_LIST_DIR}/planted_symlink_test.sh ${CMAKE_BINARY_DIR})
  set_tests_properties(PlantedSymlinkKeepsItsTarget PROPERTIES FIXTURES_REQUIRED wine RESOURCE_LOCK wineprefix)
endif()
