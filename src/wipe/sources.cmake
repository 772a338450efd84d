list(APPEND BPRIV_PURE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/random.cpp
  ${CMAKE_CURRENT_LIST_DIR}/random_lanes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wipe_algo.cpp
  ${CMAKE_CURRENT_LIST_DIR}/algo_registry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/overwrite_passes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/progress_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/scramble.cpp
  ${CMAKE_CURRENT_LIST_DIR}/stream_walk.cpp
)
list(APPEND BPRIV_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/file_wiper_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/list_streams_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/scramble_name_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/seed_inputs_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/system_error_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wipe_platform_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wipe_settings_win.cpp
)
# The Windows x64 stack is only 16-byte aligned, and GCC may spill 32-byte
# vectors with aligned moves: make the assembler emit unaligned ones.
if(WIN32 AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/random_lanes.cpp
    PROPERTIES COMPILE_OPTIONS "-Wa,-muse-unaligned-vector-move")
endif()
