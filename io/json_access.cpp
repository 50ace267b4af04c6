#include "io/json_access.h"

#include <string>

using simdjson::dom::element;
using simdjson::dom::element_type;

namespace
{
// Room for two decoded values per byte of text, and at least 2^20 values.
constexpr int64_t kMinValueBudget = int64_t(1) << 20;
constexpr int64_t kValuesPerByte = 2;
} // namespace

GeoReadContext::GeoReadContext(int64_t bytes)
    : textBytes(bytes), valueBudget(kMinValueBudget + kValuesPerByte * bytes)
{
}

void GeoReadContext::chargeValues(int64_t n, const std::string &what)
{
    if (n > valueBudget)
        failAt(path, what + " describes more data than a file of " + std::to_string(textBytes) +
                         " bytes can hold");
    valueBudget -= n;
}

void failExpected(const GeoReadContext &ctx, element found, const std::string &expected)
{
    failAt(ctx.path, "expected " + expected + ", found " + describeElement(found));
}

simdjson::dom::array expectArray(const GeoReadContext &ctx, element value, const char *expected)
{
    simdjson::dom::array array;
    if (value.get_array().get(array) != simdjson::SUCCESS)
        failExpected(ctx, value, expected);
    return array;
}

simdjson::dom::object expectObject(const GeoReadContext &ctx, element value, const char *expected)
{
    simdjson::dom::object object;
    if (value.get_object().get(object) != simdjson::SUCCESS)
        failExpected(ctx, value, expected);
    return object;
}

std::string_view expectString(const GeoReadContext &ctx, element value, const char *expected)
{
    std::string_view text;
    if (value.get_string().get(text) != simdjson::SUCCESS)
        failExpected(ctx, value, expected);
    return text;
}

bool expectBool(const GeoReadContext &ctx, element value, const char *expected)
{
    bool flag = false;
    if (value.get_bool().get(flag) != simdjson::SUCCESS)
        failExpected(ctx, value, expected);
    return flag;
}

int64_t expectInteger(const GeoReadContext &ctx, element value, int64_t lowest, int64_t highest,
                      const char *expected)
{
    const element_type type = value.type();
    if (type != element_type::INT64 && type != element_type::UINT64)
        failExpected(ctx, value, expected);
    // UINT64 holds only values above INT64_MAX, beyond every range used here.
    const bool inRange = type == element_type::INT64 && value.get_int64().value_unsafe() >= lowest &&
                         value.get_int64().value_unsafe() <= highest;
    if (!inRange)
        failAt(ctx.path, std::string("expected ") + expected + " from " + std::to_string(lowest) + " to " +
                             std::to_string(highest) + ", found " + describeElement(value));
    return value.get_int64().value_unsafe();
}

int64_t expectCount(const GeoReadContext &ctx, element value, const char *expected)
{
    return expectInteger(ctx, value, 0, kMaxElementCount, expected);
}

KeyValueList::KeyValueList(const GeoReadContext &ctx, element value, const char *expected)
{
    const simdjson::dom::array array = expectArray(ctx, value, expected);
    const size_t n = array.size();
    if (n % 2 != 0)
        failAt(ctx.path, std::string("expected ") + expected + " (keys and values in pairs), found an array of " +
                             std::to_string(n) + " items");
    myFields.reserve(n / 2);
    size_t index = 0;
    std::string_view key;
    for (element item : array)
    {
        if (index % 2 == 0)
        {
            if (item.get_string().get(key) != simdjson::SUCCESS)
                failAtIndex(ctx.path, index, "expected a key (string), found " + describeElement(item));
        }
        else
        {
            myFields.push_back({key, item});
        }
        ++index;
    }
}

const KeyValueField *KeyValueList::find(std::string_view key) const
{
    for (const KeyValueField &field : myFields)
        if (field.key == key)
            return &field;
    return nullptr;
}

const KeyValueField *KeyValueList::find(std::string_view key, std::string_view abbreviation) const
{
    for (const KeyValueField &field : myFields)
        if (field.key == key || field.key == abbreviation)
            return &field;
    return nullptr;
}

const KeyValueField &requireField(const GeoReadContext &ctx, const KeyValueList &list, std::string_view key)
{
    const KeyValueField *field = list.find(key);
    if (!field)
        failAt(ctx.path, "missing key \"" + std::string(key) + "\"");
    return *field;
}
