# Helpers shared by the Windows tests.
list(APPEND BPRIV_WIN_TESTS ${CMAKE_CURRENT_LIST_DIR}/run_process.cpp
     ${CMAKE_CURRENT_LIST_DIR}/../../tools/agentctl/listing_client.cpp)
