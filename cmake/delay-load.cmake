# Links `target` so that it loads the named DLLs only when it first calls
# into them: bpriv_delay_load(target libname DLLNAME.dll ...).
function(bpriv_delay_load target)
  set(pairs ${ARGN})
  if(MSVC)
    while(pairs)
      list(POP_FRONT pairs name dll)
      target_link_options(${target} PRIVATE /DELAYLOAD:${dll})
    endwhile()
    target_link_libraries(${target} PRIVATE delayimp)
    return()
  endif()
  set(delay_libs)
  while(pairs)
    list(POP_FRONT pairs name dll)
    find_library(BPRIV_IMPLIB_${name} NAMES lib${name}.a REQUIRED)
    set(out ${CMAKE_BINARY_DIR}/delay/lib${name}_delay.a)
    add_custom_command(OUTPUT ${out}
                       COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/delay
                       COMMAND ${CMAKE_SOURCE_DIR}/cmake/make-delay-lib.sh ${BPRIV_IMPLIB_${name}} ${dll} ${out}
                       DEPENDS ${CMAKE_SOURCE_DIR}/cmake/make-delay-lib.sh ${BPRIV_IMPLIB_${name}} VERBATIM)
    list(APPEND delay_libs ${out})
  endwhile()
  add_custom_target(${target}_delay_libs DEPENDS ${delay_libs})
  add_dependencies(${target} ${target}_delay_libs)
  # Before the ordinary import libraries on the link line, so that these win.
  target_link_libraries(${target} PRIVATE ${delay_libs} delayimp)
endfunction()
