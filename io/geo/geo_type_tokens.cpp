#include "io/geo/geo_type_tokens.h"

#include <limits>

int32_t typeInfoFromToken(std::string_view token)
{
    if (token == "point")
        return GA_TYPE_POINT;
    if (token == "hpoint")
        return GA_TYPE_HPOINT;
    if (token == "vector")
        return GA_TYPE_VECTOR;
    if (token == "normal")
        return GA_TYPE_NORMAL;
    if (token == "color")
        return GA_TYPE_COLOR;
    return GA_TYPE_UNKNOWN;
}

const char *tokenFromTypeInfo(int32_t code)
{
    switch (code)
    {
    case GA_TYPE_POINT:
        return "point";
    case GA_TYPE_HPOINT:
        return "hpoint";
    case GA_TYPE_VECTOR:
        return "vector";
    case GA_TYPE_NORMAL:
        return "normal";
    case GA_TYPE_COLOR:
        return "color";
    default:
        return nullptr;
    }
}

namespace
{
struct StorageName
{
    GA_Storage storage;
    const char *token;
};
constexpr StorageName kStorageNames[] = {
    {GA_STORE_UINT8, "uint8"},     {GA_STORE_INT8, "int8"},       {GA_STORE_INT16, "int16"},
    {GA_STORE_INT32, "int32"},     {GA_STORE_INT64, "int64"},     {GA_STORE_REAL16, "fpreal16"},
    {GA_STORE_REAL32, "fpreal32"}, {GA_STORE_REAL64, "fpreal64"},
};
}  // namespace

GA_Storage storageFromToken(std::string_view token)
{
    for (const StorageName &name : kStorageNames)
        if (token == name.token)
            return name.storage;
    return GA_STORE_INVALID;
}

const char *storageToken(GA_Storage storage)
{
    for (const StorageName &name : kStorageNames)
        if (storage == name.storage)
            return name.token;
    return "invalid";
}

bool isRealStorage(GA_Storage storage)
{
    return storage == GA_STORE_REAL16 || storage == GA_STORE_REAL32 || storage == GA_STORE_REAL64;
}

IntegerRange integerRange(GA_Storage storage)
{
    switch (storage)
    {
    case GA_STORE_UINT8:
        return {0, 255};
    case GA_STORE_INT8:
        return {-128, 127};
    case GA_STORE_INT16:
        return {-32768, 32767};
    case GA_STORE_INT32:
        return {INT32_MIN, INT32_MAX};
    default:
        return {INT64_MIN, INT64_MAX};
    }
}

double realOverflowMagnitude(GA_Storage storage)
{
    switch (storage)
    {
    case GA_STORE_REAL16:
        return 65520.0;  // between 65504 and 2^16
    case GA_STORE_REAL32:
        return 0x1.ffffffp127;  // between FLT_MAX and 2^128
    default:
        return std::numeric_limits<double>::infinity();
    }
}
