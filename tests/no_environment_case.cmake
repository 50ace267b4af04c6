# Fails when a source under one of the given folders reads the process
# environment. The node reads its configuration once, at its edge, and
# passes it down; the layers beneath it behave by their arguments alone.
#   cmake -DTOP=<source dir> -DFOLDERS=<a|b> -P no_environment_case.cmake
string(REPLACE "|" ";" folders "${FOLDERS}")
set(found "")
foreach(folder IN LISTS folders)
  file(GLOB_RECURSE sources ${TOP}/${folder}/*.h ${TOP}/${folder}/*.cpp)
  foreach(source IN LISTS sources)
    file(STRINGS ${source} lines REGEX "getenv|GetEnvironmentVariable|[^_a-zA-Z]environ[^a-zA-Z_]")
    foreach(line IN LISTS lines)
      file(RELATIVE_PATH relative ${TOP} ${source})
      string(STRIP "${line}" line)
      string(APPEND found "\n  ${relative}: ${line}")
    endforeach()
  endforeach()
endforeach()
if(found)
  message(FATAL_ERROR "the process environment is read below the node:${found}")
endif()
