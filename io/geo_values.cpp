#include "io/geo_values.h"

#include "io/geo_paged_values.h"

#include <cmath>
#include <limits>
#include <string>

using simdjson::dom::array;
using simdjson::dom::element;
using simdjson::dom::element_type;

NumberRule::NumberRule(GA_Storage s)
    : storage(s), real(isRealStorage(s)), overflow(realOverflowMagnitude(s)), range(integerRange(s))
{
}

namespace
{
[[noreturn]] void failNumber(const GeoReadContext &ctx, uint64_t index, int64_t component, element found,
                             const std::string &expected)
{
    const std::string prefix = component >= 0 ? "component " + std::to_string(component) + ": " : "";
    failAtIndex(ctx.path, index, prefix + "expected " + expected + ", found " + describeElement(found));
}

bool nonFiniteToken(element value, double &out)
{
    std::string_view token = value.get_string().value_unsafe();
    if (token == "nan")
        out = std::numeric_limits<double>::quiet_NaN();
    else if (token == "inf")
        out = std::numeric_limits<double>::infinity();
    else if (token == "-inf")
        out = -std::numeric_limits<double>::infinity();
    else
        return false;
    return true;
}

double readReal(const GeoReadContext &ctx, element value, const NumberRule &rule, uint64_t index,
                int64_t component)
{
    double x = 0.0;
    switch (value.type())
    {
    case element_type::DOUBLE: x = value.get_double().value_unsafe(); break;
    case element_type::INT64: x = double(value.get_int64().value_unsafe()); break;
    case element_type::UINT64: x = double(value.get_uint64().value_unsafe()); break;
    case element_type::STRING:
        if (nonFiniteToken(value, x))
            return x;
        [[fallthrough]];
    default: failNumber(ctx, index, component, value, "a number");
    }
    if (!(std::fabs(x) < rule.overflow))
        failNumber(ctx, index, component, value, std::string("a number that fits ") + storageToken(rule.storage));
    return x;
}

int64_t readInteger(const GeoReadContext &ctx, element value, const NumberRule &rule, uint64_t index,
                    int64_t component)
{
    int64_t n = 0;
    bool inRange = false;
    switch (value.type())
    {
    case element_type::INT64:
        n = value.get_int64().value_unsafe();
        inRange = n >= rule.range.lowest && n <= rule.range.highest;
        break;
    case element_type::DOUBLE:
    {
        // Integral doubles only; the bounds are exact powers of two or small
        // integers, and the comparisons exclude NaN before the cast.
        const double x = value.get_double().value_unsafe();
        inRange = x == std::trunc(x) && x >= double(rule.range.lowest) && x < double(rule.range.highest) + 1.0;
        if (inRange)
            n = int64_t(x);
        break;
    }
    case element_type::UINT64: break; // above INT64_MAX: beyond every range
    default: failNumber(ctx, index, component, value, "an integer");
    }
    if (!inRange)
        failNumber(ctx, index, component, value,
                   "an integer from " + std::to_string(rule.range.lowest) + " to " +
                       std::to_string(rule.range.highest) + " (" + storageToken(rule.storage) + ")");
    return n;
}

template <typename T>
T readValue(const GeoReadContext &ctx, element value, const NumberRule &rule, uint64_t index, int64_t component);
template <>
double readValue<double>(const GeoReadContext &ctx, element value, const NumberRule &rule, uint64_t index,
                         int64_t component)
{
    return readReal(ctx, value, rule, index, component);
}
template <>
int64_t readValue<int64_t>(const GeoReadContext &ctx, element value, const NumberRule &rule, uint64_t index,
                           int64_t component)
{
    return readInteger(ctx, value, rule, index, component);
}

template <typename T>
void decodeTuples(GeoReadContext &ctx, element list, int64_t count, int64_t size, const NumberRule &rule,
                  std::vector<T> &out)
{
    const array tuples = expectArray(ctx, list, "an array of tuples");
    if (int64_t(tuples.size()) != count)
        failAt(ctx.path, "expected " + std::to_string(count) + " tuples (one per element), found " +
                             std::to_string(tuples.size()));
    T *dst = out.data();
    uint64_t index = 0;
    for (element tuple : tuples)
    {
        array components;
        if (tuple.get_array().get(components) != simdjson::SUCCESS)
        {
            // A bare number stands for a tuple of one component.
            if (size != 1 || tuple.type() == element_type::OBJECT)
                failNumber(ctx, index, -1, tuple, "an array of " + std::to_string(size) + " numbers");
            *dst++ = readValue<T>(ctx, tuple, rule, index, -1);
        }
        else
        {
            if (int64_t(components.size()) != size)
                failNumber(ctx, index, -1, tuple, "an array of " + std::to_string(size) + " numbers");
            int64_t c = 0;
            for (element value : components)
                *dst++ = readValue<T>(ctx, value, rule, index, c++);
        }
        ++index;
    }
}

template <typename T>
void decodeArrays(GeoReadContext &ctx, element list, int64_t count, int64_t size, const NumberRule &rule,
                  std::vector<T> &out)
{
    const array arrays = expectArray(ctx, list, "an array of component arrays");
    if (int64_t(arrays.size()) != size)
        failAt(ctx.path, "expected " + std::to_string(size) + " component arrays (one per tuple component), found " +
                             std::to_string(arrays.size()));
    int64_t component = 0;
    for (element column : arrays)
    {
        PathScope scope(ctx.path, uint64_t(component));
        const array values = expectArray(ctx, column, "an array of numbers");
        if (int64_t(values.size()) != count)
            failAt(ctx.path, "expected " + std::to_string(count) + " values (one per element), found " +
                                 std::to_string(values.size()));
        uint64_t index = 0;
        for (element value : values)
        {
            out[size_t(index) * size_t(size) + size_t(component)] = readValue<T>(ctx, value, rule, index, -1);
            ++index;
        }
        ++component;
    }
}
} // namespace

namespace
{
template <typename T>
void decodeInto(GeoReadContext &ctx, const KeyValueList &values, int64_t count, int64_t size,
                const NumberRule &rule, std::vector<T> &out)
{
    out.assign(size_t(count) * size_t(size), T(0));
    if (const KeyValueField *tuples = values.find("tuples"))
    {
        PathScope scope(ctx.path, tuples->key);
        decodeTuples(ctx, tuples->value, count, size, rule, out);
    }
    else if (const KeyValueField *arrays = values.find("arrays"))
    {
        PathScope scope(ctx.path, arrays->key);
        decodeArrays(ctx, arrays->value, count, size, rule, out);
    }
    else if (values.find("rawpagedata"))
    {
        decodePagedValues<T>(ctx, values, count, size, rule, out, &readValue<T>);
    }
    else
    {
        failAt(ctx.path, "expected one of the keys \"tuples\", \"arrays\" or \"rawpagedata\"");
    }
}
} // namespace

void decodeValueList(GeoReadContext &ctx, const KeyValueList &values, int64_t count, int64_t tupleSize,
                     const NumberRule &rule, DecodedValues &out)
{
    ctx.chargeValues(count * tupleSize, "the value list");
    if (rule.real)
        decodeInto(ctx, values, count, tupleSize, rule, out.reals);
    else
        decodeInto(ctx, values, count, tupleSize, rule, out.integers);
}

std::vector<double> decodeNumberArray(GeoReadContext &ctx, element list, size_t maxCount)
{
    const array numbers = expectArray(ctx, list, "an array of numbers");
    const NumberRule anyReal(GA_STORE_REAL64);
    std::vector<double> out;
    uint64_t index = 0;
    for (element value : numbers)
    {
        const double x = readReal(ctx, value, anyReal, index++, -1);
        if (out.size() < maxCount)
            out.push_back(x);
    }
    return out;
}
