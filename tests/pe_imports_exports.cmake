# Reads a Windows module's tables with objdump -p and checks them:
#   - EXPORTS given: the export table names exactly these functions;
#   - always: the module imports no MinGW runtime DLL (libstdc++, libgcc,
#     winpthread), which the build links statically so that nothing but
#     system DLLs and libvelkor_host.dll has to sit beside it.
#
#   cmake -DOBJDUMP=<x86_64-w64-mingw32-objdump> -DMODULE=<file.dll|exe>
#         [-DEXPORTS="a|b|c"] -P pe_imports_exports.cmake

execute_process(COMMAND "${OBJDUMP}" -p "${MODULE}"
  RESULT_VARIABLE status OUTPUT_VARIABLE dump ERROR_VARIABLE err)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${MODULE} failed: ${err}")
endif()
string(REPLACE "\n" ";" lines "${dump}")

# Imports: "\tDLL Name: KERNEL32.dll"
set(imports "")
foreach(line IN LISTS lines)
  if(line MATCHES "^[ \t]*DLL Name: (.+)$")
    string(TOLOWER "${CMAKE_MATCH_1}" dll)
    list(APPEND imports "${dll}")
  endif()
endforeach()
if(NOT imports)
  message(FATAL_ERROR "${MODULE}: no import table found in:\n${dump}")
endif()
foreach(dll IN LISTS imports)
  if(dll MATCHES "^(libstdc\\+\\+|libgcc|libwinpthread)")
    message(FATAL_ERROR "${MODULE} needs the MinGW runtime ${dll}; imports: ${imports}")
  endif()
endforeach()

if(DEFINED EXPORTS)
  # Exports follow the "[Ordinal/Name Pointer] Table" heading, one per line:
  # "\t[   0] newSopOperator".
  set(exports "")
  set(inTable OFF)
  foreach(line IN LISTS lines)
    if(line MATCHES "Ordinal/Name Pointer\\] Table")
      set(inTable ON)
    elseif(inTable AND line MATCHES "^[ \t]*\\[ *[0-9]+\\] (.+)$")
      list(APPEND exports "${CMAKE_MATCH_1}")
    elseif(inTable)
      set(inTable OFF)
    endif()
  endforeach()
  string(REPLACE "|" ";" expected "${EXPORTS}")
  list(SORT exports)
  list(SORT expected)
  if(NOT exports STREQUAL expected)
    message(FATAL_ERROR "${MODULE} exports [${exports}], expected exactly [${expected}]")
  endif()
endif()
message(STATUS "${MODULE}: imports ${imports}")
