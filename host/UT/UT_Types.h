// Fixed-width numeric types of the host.
//
// The plug-in's real platform is Windows x86-64, where `long` is 32 bits, so
// every size that matters is spelled with a fixed width here.
#pragma once

#include <Imath/half.h>
#include <cstdint>

typedef Imath::half fpreal16;
typedef float fpreal32;
typedef double fpreal64;
typedef double fpreal;
typedef int8_t int8;
typedef uint8_t uint8;
typedef int16_t int16;
typedef int32_t int32;
typedef int64_t int64;
typedef int64_t exint;
