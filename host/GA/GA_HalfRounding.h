// Rounding a double to a 16-bit float (fpreal16) in one step.
//
// The half type converts only from float, and going through float first
// rounds twice: 1.00048828125091 becomes the float 1.00048828 (the tie
// between two halves, just below the true value's side) and then the half
// 1.0, where a single rounding gives 1.0009765625. Every double that becomes
// a half (values read from files, setDouble on a 16-bit attribute) is
// therefore rounded here directly to the nearest half, ties to even,
// subnormal halves included; magnitudes from 65520 on become infinity and
// NaN stays NaN.
#pragma once

#include <UT/UT_API.h>
#include <UT/UT_Types.h>

#include <cstdint>

// The bits of the half nearest to value.
UT_API uint16_t GAhalfBitsFromDouble(double value);
UT_API fpreal16 GAhalfFromDouble(double value);
