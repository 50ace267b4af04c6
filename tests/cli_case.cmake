# Runs velkor once and checks how it ended.
#
#   cmake -DVELKOR=<exe> [-DEMULATOR="wine|..."] -DARGS="cook|a.geo|b.geo|-o|out.geo" -DWORK_DIR=<scratch>
#         -DEXPECT_STATUS=2 [-DSTDOUT_REGEX=...] [-DSTDERR_REGEX=...]
#         [-DSTDOUT_EMPTY=ON] [-DEXPECT_FILES="a|b"] [-DABSENT_FILES="c"] [-DMEMORY_LIMIT_KB=n]
#         -P cli_case.cmake
#
# Arguments are separated by "|" (they may contain spaces and semicolons).
# The string @WORK@ in ARGS and file lists stands for WORK_DIR, which is
# emptied first, so every run starts clean.

file(REMOVE_RECURSE "${WORK_DIR}")
string(REPLACE "|" ";" EMULATOR "${EMULATOR}")
file(MAKE_DIRECTORY "${WORK_DIR}")

foreach(var ARGS EXPECT_FILES ABSENT_FILES)
  string(REPLACE "@WORK@" "${WORK_DIR}" ${var} "${${var}}")
  string(REPLACE "|" ";" ${var} "${${var}}")
endforeach()

# MEMORY_LIMIT_KB caps the program's address space (POSIX shells), so that
# an allocation too large for it fails on any machine, however much memory
# it has.
set(command ${EMULATOR} "${VELKOR}" ${ARGS})
if(DEFINED MEMORY_LIMIT_KB)
  set(command sh -c "ulimit -v ${MEMORY_LIMIT_KB} && exec \"$0\" \"$@\"" ${command})
endif()

execute_process(COMMAND ${command}
  WORKING_DIRECTORY "${WORK_DIR}"
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
set(report "status ${status}\n--- stdout\n${out}\n--- stderr\n${err}")

if(NOT status STREQUAL "${EXPECT_STATUS}")
  message(FATAL_ERROR "expected status ${EXPECT_STATUS}\n${report}")
endif()
if(DEFINED STDOUT_REGEX AND NOT out MATCHES "${STDOUT_REGEX}")
  message(FATAL_ERROR "standard output does not match \"${STDOUT_REGEX}\"\n${report}")
endif()
if(DEFINED STDERR_REGEX AND NOT err MATCHES "${STDERR_REGEX}")
  message(FATAL_ERROR "standard error does not match \"${STDERR_REGEX}\"\n${report}")
endif()
if(STDOUT_EMPTY AND NOT out STREQUAL "")
  message(FATAL_ERROR "standard output should be empty\n${report}")
endif()
foreach(f IN LISTS EXPECT_FILES)
  if(NOT EXISTS "${f}")
    message(FATAL_ERROR "${f} was not written\n${report}")
  endif()
endforeach()
foreach(f IN LISTS ABSENT_FILES)
  if(EXISTS "${f}")
    message(FATAL_ERROR "${f} should not exist\n${report}")
  endif()
endforeach()
