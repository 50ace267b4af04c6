# Shared compile settings for every target of the project.
#
# -ffp-contract=off: the tracer's results are compared bit for bit, and each
# float product and sum must be rounded on its own; a fused multiply-add would
# change the low bits. -ffast-math is never used for the same reason.
add_library(velkor_flags INTERFACE)
target_compile_options(velkor_flags INTERFACE
  -Wall -Wextra -ffp-contract=off -fno-fast-math
  $<$<BOOL:${VELKOR_WERROR}>:-Werror>)
# MinGW: printf and friends from MinGW's own C99 implementation rather than
# the system's msvcrt, which writes "%e" with three exponent digits and does
# not round every "%.17g" correctly. libstdc++ asks for this too; saying it
# here makes it hold for every file, whatever it includes first.
if(MINGW)
  target_compile_definitions(velkor_flags INTERFACE __USE_MINGW_ANSI_STDIO=1)
endif()
if(VELKOR_SANITIZE)
  target_compile_options(velkor_flags INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(velkor_flags INTERFACE -fsanitize=address,undefined)
endif()

# Adds one GoogleTest executable for a layer and registers its cases with CTest.
function(velkor_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main velkor_flags)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
endfunction()
