# Installs the build into a fresh prefix and runs `velkor demo` from there
# with VELKOR_PLUGIN_PATH unset: the installed program must find the
# installed plug-in by itself, through run paths that hold no build folder.
#
#   cmake -DBUILD_DIR=<build> -DPREFIX=<scratch prefix> -DPROGRAM=bin/velkor[.exe]
#         [-DEMULATOR="wine|..."] -P install_case.cmake

file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${status}):\n${out}\n${err}")
endif()

unset(ENV{VELKOR_PLUGIN_PATH})
string(REPLACE "|" ";" EMULATOR "${EMULATOR}")
set(output "${PREFIX}/demo/demo.geo")
file(MAKE_DIRECTORY "${PREFIX}/demo")
execute_process(COMMAND ${EMULATOR} "${PREFIX}/${PROGRAM}" demo -o "${output}" --room-quads 2 --emitters 8
  WORKING_DIRECTORY "${PREFIX}/demo"
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0 OR NOT EXISTS "${output}")
  message(FATAL_ERROR "the installed velkor demo ended with status ${status}\n${out}\n${err}")
endif()
if(NOT out MATCHES "points appended")
  message(FATAL_ERROR "no summary from the installed velkor:\n${out}")
endif()
