// Conversions between the element types of numeric storage.
//
// Every value that moves between storages goes through GAconvertValue, so
// that each conversion is defined for every input. A plain cast from a
// floating value to an integer is undefined when the value is NaN or out of
// range; here NaN stores 0, values beyond the range saturate at its ends and
// everything else truncates toward zero. A double beyond the float range
// becomes what IEEE round-to-nearest gives (FLT_MAX or infinity), decided
// explicitly rather than by an out-of-range cast. 16-bit floats convert
// through float, which holds every half exactly; a double becomes a half in
// one rounding, since going through float would round twice.
#pragma once

#include <GA/GA_HalfRounding.h>
#include <GA/GA_Types.h>
#include <cmath>
#include <limits>
#include <type_traits>

// Storage code of an element type; GA_STORE_INVALID for any other type.
template <typename T>
struct GA_StorageOf
{
    static constexpr GA_Storage value = GA_STORE_INVALID;
};
template <>
struct GA_StorageOf<uint8_t>
{
    static constexpr GA_Storage value = GA_STORE_UINT8;
};
template <>
struct GA_StorageOf<int8_t>
{
    static constexpr GA_Storage value = GA_STORE_INT8;
};
template <>
struct GA_StorageOf<int16_t>
{
    static constexpr GA_Storage value = GA_STORE_INT16;
};
template <>
struct GA_StorageOf<int32_t>
{
    static constexpr GA_Storage value = GA_STORE_INT32;
};
template <>
struct GA_StorageOf<int64_t>
{
    static constexpr GA_Storage value = GA_STORE_INT64;
};
template <>
struct GA_StorageOf<fpreal16>
{
    static constexpr GA_Storage value = GA_STORE_REAL16;
};
template <>
struct GA_StorageOf<float>
{
    static constexpr GA_Storage value = GA_STORE_REAL32;
};
template <>
struct GA_StorageOf<double>
{
    static constexpr GA_Storage value = GA_STORE_REAL64;
};

// double to float without an out-of-range cast. Above FLT_MAX, values below
// the midpoint to 2^128 round down to FLT_MAX; from the midpoint on (a tie
// goes to the even neighbour, 2^128) they round to infinity.
inline float GAnarrowToFloat(double v)
{
    constexpr double largest = double(std::numeric_limits<float>::max());
    if (!(std::fabs(v) > largest) || std::isinf(v))
        return static_cast<float>(v);            // in range, NaN or infinite
    constexpr double midpoint = 0x1.ffffffp127;  // 2^128 - 2^103
    const float magnitude =
        std::fabs(v) >= midpoint ? std::numeric_limits<float>::infinity() : std::numeric_limits<float>::max();
    return v < 0 ? -magnitude : magnitude;
}

// Floating value to integer: NaN gives 0, saturation at both ends, otherwise
// truncation toward zero. Both bounds are exact doubles (-2^k or 0, and 2^k).
template <typename T>
inline T GAfloatToInteger(double v)
{
    typedef std::numeric_limits<T> Limits;
    constexpr double lowest = double(Limits::min());
    constexpr double beyondMax = 2.0 * double(Limits::max() / 2 + 1);
    if (std::isnan(v))
        return T(0);
    if (v <= lowest)
        return Limits::min();
    if (v >= beyondMax)
        return Limits::max();
    return static_cast<T>(v);
}

// Converts one element value of type S to type T (see the rules above).
template <typename T, typename S>
inline T GAconvertValue(S v)
{
    if constexpr (std::is_same_v<T, S>)
        return v;
    else if constexpr (std::is_same_v<S, fpreal16>)
        return GAconvertValue<T>(static_cast<float>(v));
    else if constexpr (std::is_same_v<T, fpreal16> && std::is_same_v<S, double>)
        return GAhalfFromDouble(v);
    else if constexpr (std::is_same_v<T, fpreal16>)
        return fpreal16(GAconvertValue<float>(v));
    else if constexpr (std::is_integral_v<T> && std::is_floating_point_v<S>)
        return GAfloatToInteger<T>(double(v));
    else if constexpr (std::is_integral_v<T> && std::is_integral_v<S>)
    {
        // Every element type's range fits in int64_t.
        const int64_t w = int64_t(v);
        if (w < int64_t(std::numeric_limits<T>::min()))
            return std::numeric_limits<T>::min();
        if (w > int64_t(std::numeric_limits<T>::max()))
            return std::numeric_limits<T>::max();
        return static_cast<T>(w);
    }
    else if constexpr (std::is_same_v<T, float> && std::is_same_v<S, double>)
        return GAnarrowToFloat(v);
    else
        return static_cast<T>(v);  // integer to floating, or float to double: always defined
}
