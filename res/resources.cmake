# The agent's resource script; icon and animation are generated at build time
# by a small native tool, so no binary resource lives in the repository.
find_program(BPRIV_HOST_CXX NAMES c++ g++ REQUIRED)
set(BPRIV_RES_OUT ${CMAKE_BINARY_DIR}/res)
file(MAKE_DIRECTORY ${BPRIV_RES_OUT})
add_custom_command(
  OUTPUT ${BPRIV_RES_OUT}/resgen
  COMMAND ${BPRIV_HOST_CXX} -O1 -std=c++17 -o ${BPRIV_RES_OUT}/resgen ${CMAKE_SOURCE_DIR}/tools/resgen/resgen.cpp
  DEPENDS ${CMAKE_SOURCE_DIR}/tools/resgen/resgen.cpp
  COMMENT "Building the resource generator")
add_custom_command(
  OUTPUT ${BPRIV_RES_OUT}/agent.ico ${BPRIV_RES_OUT}/busy.avi
  COMMAND ${BPRIV_RES_OUT}/resgen icon ${BPRIV_RES_OUT}/agent.ico
  COMMAND ${BPRIV_RES_OUT}/resgen avi ${BPRIV_RES_OUT}/busy.avi
  DEPENDS ${BPRIV_RES_OUT}/resgen
  COMMENT "Generating icon and animation")
configure_file(${CMAKE_SOURCE_DIR}/res/BPrivSvc.exe.manifest ${BPRIV_RES_OUT}/BPrivSvc.exe.manifest COPYONLY)
configure_file(${CMAKE_SOURCE_DIR}/res/BPrivSvc.rc ${BPRIV_RES_OUT}/BPrivSvc.rc COPYONLY)
set(BPRIV_RC ${BPRIV_RES_OUT}/BPrivSvc.rc)
set_source_files_properties(${BPRIV_RC} PROPERTIES
  OBJECT_DEPENDS "${BPRIV_RES_OUT}/agent.ico;${BPRIV_RES_OUT}/busy.avi;${BPRIV_RES_OUT}/BPrivSvc.exe.manifest")
# The tests load the same resources (dialog, strings) from their own module.
set(BPRIV_RC_INCLUDES ${CMAKE_SOURCE_DIR}/res)
