#include "io/geo/geo_values.h"

#include "io/geo/geo_paged_values.h"
#include "io/geo/geo_real_tuples.h"
#include "io/json/json_number.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <type_traits>

NumberRule::NumberRule(GA_Storage s)
    : storage(s), real(isRealStorage(s)), overflow(realOverflowMagnitude(s)), range(integerRange(s))
{}

namespace
{
[[noreturn]] void failNumber(const GeoReadContext &ctx, uint64_t index, int64_t component, JsonValue found,
                             const std::string &expected)
{
    const std::string prefix = component >= 0 ? "component " + std::to_string(component) + ": " : "";
    failAtIndex(ctx.path, index, prefix + "expected " + expected + ", found " + describeElement(found));
}

bool nonFiniteToken(JsonValue value, double &out)
{
    const std::string_view token = value.string();
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

// The token's own value, converted once from its text, so that "-0" stays
// negative; then checked against the storage's range.
double readReal(const GeoReadContext &ctx, JsonValue value, const NumberRule &rule, uint64_t index, int64_t component)
{
    double x = 0.0;
    if (value.isNumber())
    {
        JsonNumber number;
        value.number(number);
        x = number.real;
    }
    else if (value.isString() && nonFiniteToken(value, x))
        return x;
    else
        failNumber(ctx, index, component, value, "a number");
    if (!(std::fabs(x) < rule.overflow))
        failNumber(ctx, index, component, value, std::string("a number that fits ") + storageToken(rule.storage));
    return x;
}

int64_t readInteger(const GeoReadContext &ctx, JsonValue value, const NumberRule &rule, uint64_t index,
                    int64_t component)
{
    if (!value.isNumber())
        failNumber(ctx, index, component, value, "an integer");
    JsonNumber number;
    value.number(number);
    int64_t n = 0;
    bool inRange = false;
    switch (number.kind)
    {
    case JsonNumber::Int64:
        n = number.integer;
        inRange = n >= rule.range.lowest && n <= rule.range.highest;
        break;
    case JsonNumber::Real:
    {
        // Integral values only; the bounds are exact powers of two or small
        // integers, and the comparisons exclude NaN before the cast.
        const double x = number.real;
        inRange = x == std::trunc(x) && x >= double(rule.range.lowest) && x < double(rule.range.highest) + 1.0;
        if (inRange)
            n = int64_t(x);
        break;
    }
    case JsonNumber::Uint64:
        break;  // above INT64_MAX: beyond every range
    }
    if (!inRange)
        failNumber(ctx, index, component, value,
                   "an integer from " + std::to_string(rule.range.lowest) + " to " +
                       std::to_string(rule.range.highest) + " (" + storageToken(rule.storage) + ")");
    return n;
}

template <typename T>
T readValue(const GeoReadContext &ctx, JsonValue value, const NumberRule &rule, uint64_t index, int64_t component);
template <>
double readValue<double>(const GeoReadContext &ctx, JsonValue value, const NumberRule &rule, uint64_t index,
                         int64_t component)
{
    return readReal(ctx, value, rule, index, component);
}
template <>
int64_t readValue<int64_t>(const GeoReadContext &ctx, JsonValue value, const NumberRule &rule, uint64_t index,
                           int64_t component)
{
    return readInteger(ctx, value, rule, index, component);
}

// Counts the items from it on, for messages about list lengths.
int64_t countFrom(JsonArray::Iterator it, int64_t counted)
{
    for (; !it.atEnd(); ++it)
        ++counted;
    return counted;
}

// Lists are read in one pass, item by item; their length is checked on the
// way and the rest counted only when it is wrong.
template <typename T>
void decodeTuples(GeoReadContext &ctx, JsonValue list, int64_t count, int64_t size, const NumberRule &rule,
                  ValueSink<T> &sink)
{
    const JsonArray tuples = expectArray(ctx, list, "an array of tuples");
    const JsonDocument &doc = list.document();
    std::vector<T> tuple(static_cast<size_t>(size));
    int64_t index = 0;
    JsonArray::Iterator it = tuples.begin();
    // Items up to the one at offset stop (none: kNoTuple), and up to index
    // limit.
    const std::function<void(size_t, int64_t)> readUpTo = [&](size_t stop, int64_t limit) {
        for (; !it.atEnd() && index < limit && it.offset() != stop; ++it, ++index)
        {
            const JsonValue item = *it;
            if constexpr (std::is_same<T, double>::value)
            {
                const char *end = readPlainRealTuple(doc.text() + item.offset(), size, rule.overflow, tuple.data());
                if (end)
                {
                    doc.remember(item.offset(), size_t(end - doc.text()));
                    sink.put(index, 0, size, tuple.data());
                    continue;
                }
            }
            if (!item.isArray())
            {
                // A bare number stands for a tuple of one component.
                if (size != 1 || item.isObject())
                    failNumber(ctx, uint64_t(index), -1, item, "an array of " + std::to_string(size) + " numbers");
                tuple[0] = readValue<T>(ctx, item, rule, uint64_t(index), -1);
            }
            else
            {
                int64_t c = 0;
                JsonArray::Iterator component = item.array().begin();
                for (; !component.atEnd() && c < size; ++component, ++c)
                    tuple[size_t(c)] = readValue<T>(ctx, *component, rule, uint64_t(index), c);
                if (c != size || !component.atEnd())
                    failNumber(ctx, uint64_t(index), -1, item, "an array of " + std::to_string(size) + " numbers");
            }
            sink.put(index, 0, size, tuple.data());
        }
    };
    // A first stretch on this thread tells how long a tuple's text is.
    constexpr int64_t kProbe = 4096;
    readUpTo(kNoTuple, std::min(count, kProbe));
    if constexpr (std::is_same<T, double>::value)
        readAheadHalf(readUpTo, list, it, index, count, size, rule, sink);
    readUpTo(kNoTuple, count);
    if (!it.atEnd() || index != count)
        failAt(ctx.path, "expected " + std::to_string(count) + " tuples (one per element), found " +
                             std::to_string(countFrom(it, index)));
}

template <typename T>
void decodeArrays(GeoReadContext &ctx, JsonValue list, int64_t count, int64_t size, const NumberRule &rule,
                  ValueSink<T> &sink)
{
    const JsonArray arrays = expectArray(ctx, list, "an array of component arrays");
    int64_t component = 0;
    JsonArray::Iterator column = arrays.begin();
    for (; !column.atEnd() && component < size; ++column, ++component)
    {
        PathScope scope(ctx.path, uint64_t(component));
        const JsonArray values = expectArray(ctx, *column, "an array of numbers");
        int64_t index = 0;
        JsonArray::Iterator it = values.begin();
        for (; !it.atEnd() && index < count; ++it, ++index)
        {
            const T decoded = readValue<T>(ctx, *it, rule, uint64_t(index), -1);
            sink.put(index, component, 1, &decoded);
        }
        if (!it.atEnd() || index != count)
            failAt(ctx.path, "expected " + std::to_string(count) + " values (one per element), found " +
                                 std::to_string(countFrom(it, index)));
    }
    if (!column.atEnd() || component != size)
        failAt(ctx.path, "expected " + std::to_string(size) + " component arrays (one per tuple component), found " +
                             std::to_string(countFrom(column, component)));
}

template <typename T>
void decodeInto(GeoReadContext &ctx, const KeyValueList &values, int64_t count, int64_t size, const NumberRule &rule,
                ValueSink<T> &sink)
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
}  // namespace

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

std::vector<double> decodeNumberArray(GeoReadContext &ctx, JsonValue list, size_t maxCount)
{
    const JsonArray numbers = expectArray(ctx, list, "an array of numbers");
    const NumberRule anyReal(GA_STORE_REAL64);
    std::vector<double> out;
    uint64_t index = 0;
    for (const JsonValue value : numbers)
    {
        const double x = readReal(ctx, value, anyReal, index++, -1);
        if (out.size() < maxCount)
            out.push_back(x);
    }
    return out;
}
