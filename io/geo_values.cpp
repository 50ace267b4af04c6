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
                  ValueSink<T> &sink)
{
    const array tuples = expectArray(ctx, list, "an array of tuples");
    if (int64_t(tuples.size()) != count)
        failAt(ctx.path, "expected " + std::to_string(count) + " tuples (one per element), found " +
                             std::to_string(tuples.size()));
    std::vector<T> tuple(static_cast<size_t>(size));
    int64_t index = 0;
    for (element item : tuples)
    {
        array components;
        if (item.get_array().get(components) != simdjson::SUCCESS)
        {
            // A bare number stands for a tuple of one component.
            if (size != 1 || item.type() == element_type::OBJECT)
                failNumber(ctx, uint64_t(index), -1, item, "an array of " + std::to_string(size) + " numbers");
            tuple[0] = readValue<T>(ctx, item, rule, uint64_t(index), -1);
        }
        else
        {
            if (int64_t(components.size()) != size)
                failNumber(ctx, uint64_t(index), -1, item, "an array of " + std::to_string(size) + " numbers");
            size_t c = 0;
            for (element value : components)
            {
                tuple[c] = readValue<T>(ctx, value, rule, uint64_t(index), int64_t(c));
                ++c;
            }
        }
        sink.put(index, 0, size, tuple.data());
        ++index;
    }
}

template <typename T>
void decodeArrays(GeoReadContext &ctx, element list, int64_t count, int64_t size, const NumberRule &rule,
                  ValueSink<T> &sink)
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
        int64_t index = 0;
        for (element value : values)
        {
            const T decoded = readValue<T>(ctx, value, rule, uint64_t(index), -1);
            sink.put(index, component, 1, &decoded);
            ++index;
        }
        ++component;
    }
}

template <typename T>
void decodeInto(GeoReadContext &ctx, const KeyValueList &values, int64_t count, int64_t size,
                const NumberRule &rule, ValueSink<T> &sink)
{
    if (const KeyValueField *tuples = values.find("tuples"))
    {
        PathScope scope(ctx.path, tuples->key);
        decodeTuples(ctx, tuples->value, count, size, rule, sink);
    }
    else if (const KeyValueField *arrays = values.find("arrays"))
    {
        PathScope scope(ctx.path, arrays->key);
        decodeArrays(ctx, arrays->value, count, size, rule, sink);
    }
    else if (values.find("rawpagedata"))
    {
        decodePagedValues<T>(ctx, values, count, size, rule, sink, &readValue<T>);
    }
    else
    {
        failAt(ctx.path, "expected one of the keys \"tuples\", \"arrays\" or \"rawpagedata\"");
    }
}
} // namespace

void decodeValueList(GeoReadContext &ctx, const KeyValueList &values, int64_t count, int64_t tupleSize,
                     const NumberRule &rule, ValueSink<double> &sink)
{
    decodeInto(ctx, values, count, tupleSize, rule, sink);
}

void decodeValueList(GeoReadContext &ctx, const KeyValueList &values, int64_t count, int64_t tupleSize,
                     const NumberRule &rule, ValueSink<int64_t> &sink)
{
    decodeInto(ctx, values, count, tupleSize, rule, sink);
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
