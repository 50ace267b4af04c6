# Cross build for Windows x86-64 with Debian's MinGW-w64 (posix threads
# model, which std::thread needs).
#
#   cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
#         -DVELKOR_WINDOWS_DEPS=build/windows-deps/prefix
#
# Libraries are searched for only in VELKOR_WINDOWS_DEPS, the prefix that
# scripts/windows_deps.sh fills: simdjson, GoogleTest and Imath compiled with
# this toolchain, plus links to the header-only packages from /usr/include
# (CLI11, nlohmann-json, stb). Nothing under /usr/lib is ever
# linked into a Windows binary.
#
# The runtime (libgcc, libstdc++, winpthread) is linked statically, so every
# .exe and .dll runs with nothing but system DLLs and libvelkor_host.dll
# beside it. A plug-in must not depend on a libstdc++-6.dll that the host
# application's folder may hold in another version.
#
# Tests run through Wine (CMAKE_CROSSCOMPILING_EMULATOR): a wrapper that uses
# a Wine prefix of this build tree and keeps Wine quiet.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VELKOR_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VELKOR_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELKOR_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${VELKOR_MINGW}-windres)
set(CMAKE_OBJDUMP ${VELKOR_MINGW}-objdump CACHE FILEPATH "objdump for PE files")

set(VELKOR_WINDOWS_DEPS "${CMAKE_CURRENT_LIST_DIR}/../build/windows-deps/prefix"
    CACHE PATH "Prefix of the dependencies compiled for Windows")
get_filename_component(VELKOR_WINDOWS_DEPS "${VELKOR_WINDOWS_DEPS}" ABSOLUTE)

set(CMAKE_FIND_ROOT_PATH /usr/${VELKOR_MINGW} ${VELKOR_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(VELKOR_STATIC_RUNTIME "-static-libgcc -static-libstdc++ -static")
string(APPEND CMAKE_EXE_LINKER_FLAGS_INIT " ${VELKOR_STATIC_RUNTIME}")
string(APPEND CMAKE_SHARED_LINKER_FLAGS_INIT " ${VELKOR_STATIC_RUNTIME}")
string(APPEND CMAKE_MODULE_LINKER_FLAGS_INIT " ${VELKOR_STATIC_RUNTIME}")

set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine_run.sh;${CMAKE_BINARY_DIR}/wine")
