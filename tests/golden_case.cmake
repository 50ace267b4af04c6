# Runs one golden case: `velkor cook` on the case's inputs in a fresh
# process, then compares the output with expected.geo byte for byte.
#
#   cmake -DVELKOR=<exe> -DPLUGIN=<plug-in> [-DEMULATOR="wine|..."] -DCASE_DIR=<tests/golden/case>
#         -DWORK_DIR=<scratch> [-DEXTRA_ARGS="--threads 1"] -P golden_case.cmake
#
# A case folder holds points.geo, collider.geo or collider.obj, `params`
# (command-line flags, one or more per line, # starts a comment),
# expected.geo and optionally `messages`: lines that must appear in the
# summary. Without a messages file the summary must report no messages.
# The comparison is exact because the tracer's arithmetic order is fixed.

file(REMOVE_RECURSE "${WORK_DIR}")
string(REPLACE "|" ";" EMULATOR "${EMULATOR}")
file(MAKE_DIRECTORY "${WORK_DIR}")

set(collider "${CASE_DIR}/collider.geo")
if(NOT EXISTS "${collider}")
  set(collider "${CASE_DIR}/collider.obj")
endif()

set(params "")
file(STRINGS "${CASE_DIR}/params" lines)
foreach(line IN LISTS lines)
  if(NOT line MATCHES "^[ \t]*(#|$)")
    separate_arguments(words UNIX_COMMAND "${line}")
    list(APPEND params ${words})
  endif()
endforeach()
separate_arguments(extra UNIX_COMMAND "${EXTRA_ARGS}")

set(output "${WORK_DIR}/output.geo")
execute_process(
  COMMAND ${EMULATOR} "${VELKOR}" cook "${CASE_DIR}/points.geo" "${collider}" -o "${output}"
          ${params} ${extra} --plugin "${PLUGIN}"
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "velkor cook ended with status ${status}\n${out}\n${err}")
endif()

if(EXISTS "${CASE_DIR}/messages")
  file(STRINGS "${CASE_DIR}/messages" expected_messages)
  foreach(m IN LISTS expected_messages)
    string(FIND "${out}" "${m}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "the summary lacks the message \"${m}\":\n${out}")
    endif()
  endforeach()
elseif(NOT out MATCHES "messages +none")
  message(FATAL_ERROR "unexpected messages in the summary:\n${out}")
endif()

execute_process(
  COMMAND "${CMAKE_COMMAND}" -E compare_files "${output}" "${CASE_DIR}/expected.geo"
  RESULT_VARIABLE differs)
if(NOT differs EQUAL 0)
  message(FATAL_ERROR "${output} differs from ${CASE_DIR}/expected.geo; if the change is intended, "
                      "run scripts/regenerate_golden.sh and review the diff")
endif()
