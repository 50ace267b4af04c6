# Writes the plug-in's build tag: 172 lowercase hexadecimal characters derived
# from the contents of its sources and the build's settings, so that any change
# to either gives a new tag.
#   cmake -DOUTPUT=... -DSETTINGS=... -DSOURCES=a;b;c -P build_tag.cmake
set(material "${SETTINGS}")
foreach(src IN LISTS SOURCES)
  file(SHA256 "${src}" digest)
  string(APPEND material ";${digest}")
endforeach()
string(SHA512 first "${material}")
string(SHA256 second "tag;${material}")
string(SUBSTRING "${second}" 0 44 second)
set(tag "${first}${second}")
set(content "// Generated at build time; do not edit.\n#pragma once\nstatic const char kVelkorBuildTag[] = \"${tag}\";\n")
if(EXISTS "${OUTPUT}")
  file(READ "${OUTPUT}" old)
endif()
if(NOT "${old}" STREQUAL "${content}")
  file(WRITE "${OUTPUT}" "${content}")
endif()
