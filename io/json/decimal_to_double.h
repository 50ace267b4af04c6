// Decimal significand and exponent to the correctly rounded double, fast.
//
// The reader gathers up to 19 significant digits of a number into a 64-bit
// integer w and a decimal exponent q. The nearest double to w * 10^q is then
// found with one (rarely two) 64 x 64-bit multiplications by a 128-bit power
// of five (io/json/powers_of_five.h), as Eisel and Lemire showed: the product's
// top bits are the double's significand, and its low bits tell whether the
// truncated power could have moved the rounding. Where they cannot prove the
// answer (the product sits too close to a rounding boundary), where the result
// would be subnormal, zero or infinite, or where digits were dropped and the
// bounds w and w + 1 round differently, the function declines and the caller
// uses its exact conversion of the text, so the result is always the same as
// the exact one.
#pragma once

#include <cstdint>

// The double nearest w * 10^q (w > 0, ties to even) in out, or false when it
// cannot be proven here.
bool decimalToDouble(uint64_t w, int64_t q, double &out);

// As decimalToDouble for a significand whose digits after the first 19 were
// dropped: the value lies in [w, w + 1) * 10^q, and an answer is given only
// when both ends round to the same double.
bool truncatedDecimalToDouble(uint64_t w, int64_t q, double &out);
