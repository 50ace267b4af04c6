// Number formatting for the .geo writer.
//
// 32-bit floats are written with 9 significant digits and trailing zeros
// dropped, exactly as printf's "%.9g" writes them (the host's own style), which
// always reads back to the same float. 64-bit values take 17 digits ("%.17g")
// for the same guarantee. The float formatter is the writer's hot loop, so it
// computes the nine digits with exact integer arithmetic instead of going
// through a general-purpose formatter, which is several times slower; values
// outside its exact range fall back to std::to_chars. Both give identical
// text for every float (the tests compare them).
#pragma once

#include <cstdint>

// Room that any of the functions below may use.
constexpr int kMaxNumberChars = 32;

// Writes a finite float as "%.9g" would and returns the end of the text.
char *formatFloat9(float value, char *out);
// The same through std::to_chars, for comparison and for the fallback.
char *formatFloat9Reference(float value, char *out);
// Writes a finite double as "%.17g" would.
char *formatDouble17(double value, char *out);
char *formatInteger(int64_t value, char *out);
