// The words of the .geo format for type information and storage.
//
// Type-information tokens map to the host's 32-bit codes: no token is 0,
// "point" 1, "hpoint" 2, "vector" 3, "normal" 4, "color" 5. Those six are the
// only codes whose file spelling is certain. Every other token, including
// ones the host itself writes such as "nonarithmetic_integer", becomes
// GA_TYPE_UNKNOWN and never one of the codes that consumers select
// attributes by (0, 1, 3 and 4); the reader keeps the token so the writer can
// put it back.
#pragma once

#include <GA/GA_Types.h>

#include <cstdint>
#include <string_view>

// Code of a type-information token; GA_TYPE_UNKNOWN for any other token.
int32_t typeInfoFromToken(std::string_view token);
// Token of the codes 1 to 5; null for 0 (written as no token) and for codes
// without a known spelling.
const char *tokenFromTypeInfo(int32_t code);

// Storage of a storage token ("fpreal32", "int64", ...); GA_STORE_INVALID
// when the token is not one of the eight numeric storages.
GA_Storage storageFromToken(std::string_view token);
const char *storageToken(GA_Storage storage);

bool isRealStorage(GA_Storage storage);

// Range of values an integer storage holds.
struct IntegerRange
{
    int64_t lowest;
    int64_t highest;
};
IntegerRange integerRange(GA_Storage storage);

// Magnitude from which a finite double no longer fits a real storage: the
// midpoint between its largest finite value and the next power of two, where
// rounding to nearest would give infinity.
double realOverflowMagnitude(GA_Storage storage);
