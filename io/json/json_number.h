// JSON number tokens of the .geo reader.
//
// A token is checked against the JSON grammar and classified the way the
// reader's messages and integer rules need it: an integer token (no fraction,
// no exponent) that fits int64 or, above that, uint64; anything else is a
// real number. Every token also gets its value as a double, converted
// straight from its text and correctly rounded, so its sign survives: "-0",
// "-0.0" and "-0e0" all give -0.0, which matters to real storages (a
// direction of (-0, -0, -1) is not the same as (+0, +0, -1) downstream).
//
// Short decimal numbers, which is what writers produce ("%.9g"), take an
// exact fast path: at most 19 digits whose integer fits 53 bits, scaled by a
// power of ten that is itself exact, is one correctly rounded division or
// multiplication. Most others are settled by one 64 x 128-bit product
// (io/json/decimal_to_double.h); what that cannot prove (subnormals,
// overflow, the rare product too close to a rounding boundary) goes through
// std::from_chars.
#pragma once

#include <cstdint>

struct JsonNumber
{
    enum Kind
    {
        Int64,   // an integer token within int64
        Uint64,  // an integer token above INT64_MAX, within uint64
        Real     // a token with a fraction or an exponent
    };
    Kind kind = Int64;
    int64_t integer = 0;         // Int64
    uint64_t unsignedValue = 0;  // Uint64
    double real = 0.0;           // every kind: the token's value, sign kept
};

// Reads the number token starting at p (a '-' or a digit) and returns the
// first character after it, or null when the text there is not a JSON number
// or its value is beyond the range of a double or of a 64-bit integer.
const char *readJsonNumber(const char *p, JsonNumber &number);
