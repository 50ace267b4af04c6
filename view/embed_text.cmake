# Writes a C++ source that holds text files as raw string literals, so the
# view page can carry its scripts and styles without reading files at run
# time. Run with cmake -P:
#   -DOUTPUT=file.cpp -DHEADER=view/page_assets.h
#   -DNAMES=name1;name2 -DFILES=path1;path2   (one function per file)
# Each name becomes `std::string_view name()`. The text is split into
# literals of 60,000 bytes, which the compiler joins again, so that no
# source line grows to the size of a whole library.
set(delimiter "velkor_embed")
set(chunk 60000)
set(body "// Generated from the files listed below by view/embed_text.cmake; do not edit.\n")
string(APPEND body "#include \"${HEADER}\"\n\n")
list(LENGTH NAMES count)
math(EXPR last "${count} - 1")
foreach(i RANGE ${last})
  list(GET NAMES ${i} name)
  list(GET FILES ${i} file)
  file(READ "${file}" text)
  string(FIND "${text}" ")${delimiter}\"" clash)
  if(NOT clash EQUAL -1)
    message(FATAL_ERROR "${file} contains the raw-string delimiter )${delimiter}\"")
  endif()
  string(LENGTH "${text}" length)
  string(APPEND body "// ${file}\nstd::string_view ${name}()\n{\n    static const char text[] =\n")
  set(offset 0)
  while(offset LESS length)
    string(SUBSTRING "${text}" ${offset} ${chunk} piece)
    string(APPEND body "        R\"${delimiter}(${piece})${delimiter}\"\n")
    math(EXPR offset "${offset} + ${chunk}")
  endwhile()
  string(APPEND body "        \"\";\n    return std::string_view(text, sizeof text - 1);\n}\n\n")
endforeach()
file(WRITE "${OUTPUT}.tmp" "${body}")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
