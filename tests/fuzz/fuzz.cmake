# One libFuzzer program per parser of input the agent does not control:
# tests/fuzz/<name>_fuzz.cpp, seeds in tests/fuzz/corpus/<name>, an optional
# dictionary tests/fuzz/<name>.dict. scripts/fuzz.sh runs every fuzz_* program.
function(bpriv_fuzz_target name)
  add_executable(fuzz_${name} ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/${name}_fuzz.cpp)
  target_include_directories(fuzz_${name} PRIVATE ${CMAKE_CURRENT_FUNCTION_LIST_DIR})
  target_link_libraries(fuzz_${name} PRIVATE bpriv_pure)
  target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
endfunction()

bpriv_fuzz_target(options)      # option text and switch grammar
bpriv_fuzz_target(name_list)    # favourite-cookie name lists
bpriv_fuzz_target(stream_walk)  # the file system's stream-information answer
bpriv_fuzz_target(saved_cookies) # the saved favourite cookies
