#include "io/geo/json_access.h"

#include "io/json/json_number.h"

#include <string>

namespace
{
// Room for two decoded values per byte of text, and at least 2^20 values.
constexpr int64_t kMinValueBudget = int64_t(1) << 20;
constexpr int64_t kValuesPerByte = 2;
}  // namespace

GeoReadContext::GeoReadContext(int64_t bytes) : textBytes(bytes), valueBudget(kMinValueBudget + kValuesPerByte * bytes)
{}

void GeoReadContext::chargeValues(int64_t n, const std::string &what)
{
    if (n > valueBudget)
        failAt(path, what + " describes more data than a file of " + std::to_string(textBytes) + " bytes can hold");
    valueBudget -= n;
}

void failExpected(const GeoReadContext &ctx, JsonValue found, const std::string &expected)
{
    failAt(ctx.path, "expected " + expected + ", found " + describeElement(found));
}

JsonArray expectArray(const GeoReadContext &ctx, JsonValue value, const char *expected)
{
    if (!value.isArray())
        failExpected(ctx, value, expected);
    return value.array();
}

JsonObject expectObject(const GeoReadContext &ctx, JsonValue value, const char *expected)
{
    if (!value.isObject())
        failExpected(ctx, value, expected);
    return value.object();
}

std::string_view expectString(const GeoReadContext &ctx, JsonValue value, const char *expected)
{
    if (!value.isString())
        failExpected(ctx, value, expected);
    return value.string();
}

bool expectBool(const GeoReadContext &ctx, JsonValue value, const char *expected)
{
    if (value.type() != JsonType::Bool)
        failExpected(ctx, value, expected);
    return value.boolean();
}

int64_t expectInteger(const GeoReadContext &ctx, JsonValue value, int64_t lowest, int64_t highest, const char *expected)
{
    JsonNumber number;
    if (value.isNumber())
        value.number(number);
    if (!value.isNumber() || number.kind == JsonNumber::Real)
        failExpected(ctx, value, expected);
    // Uint64 holds only values above INT64_MAX, beyond every range used here.
    const bool inRange = number.kind == JsonNumber::Int64 && number.integer >= lowest && number.integer <= highest;
    if (!inRange)
        failAt(ctx.path, std::string("expected ") + expected + " from " + std::to_string(lowest) + " to " +
                             std::to_string(highest) + ", found " + describeElement(value));
    return number.integer;
}

int64_t expectCount(const GeoReadContext &ctx, JsonValue value, const char *expected)
{
    return expectInteger(ctx, value, 0, kMaxElementCount, expected);
}

KeyValueList::KeyValueList(const GeoReadContext &ctx, JsonValue value, const char *expected)
    : myPath(ctx.path), myExpected(expected)
{
    myNext = expectArray(ctx, value, expected).begin();
    myDone = myNext.atEnd();
}

bool KeyValueList::readNext() const
{
    // The value of the last field is stepped over only now, after the caller
    // had the chance to read it (and so to let the document remember its end).
    if (myValuePending)
    {
        ++myNext;
        ++myItems;
        myValuePending = false;
        myDone = myNext.atEnd();
    }
    if (myDone)
        return false;
    const JsonValue key = *myNext;
    if (!key.isString())
        failAtIndex(myPath, myItems, "expected a key (string), found " + describeElement(key));
    const std::string_view name = key.string();
    ++myNext;
    ++myItems;
    if (myNext.atEnd())
        failAt(myPath, std::string("expected ") + myExpected + " (keys and values in pairs), found an array of " +
                           std::to_string(myItems) + " items");
    myFields.push_back({name, *myNext});
    myValuePending = true;
    return true;
}

const KeyValueField *KeyValueList::field(size_t i) const
{
    while (myFields.size() <= i)
        if (!readNext())
            return nullptr;
    return &myFields[i];
}

void KeyValueList::finish() const
{
    while (readNext())
    {}
}

const KeyValueField *KeyValueList::find(std::string_view key) const { return find(key, key); }

const KeyValueField *KeyValueList::find(std::string_view key, std::string_view abbreviation) const
{
    for (size_t i = 0;; ++i)
    {
        const KeyValueField *f = field(i);
        if (!f)
            return nullptr;
        if (f->key == key || f->key == abbreviation)
            return f;
    }
}

const KeyValueField &requireField(const GeoReadContext &ctx, const KeyValueList &list, std::string_view key)
{
    const KeyValueField *field = list.find(key);
    if (!field)
        failAt(ctx.path, "missing key \"" + std::string(key) + "\"");
    return *field;
}

std::string_view requireString(GeoReadContext &ctx, const KeyValueList &list, std::string_view key,
                               const char *expected)
{
    const KeyValueField &field = requireField(ctx, list, key);
    PathScope scope(ctx.path, field.key);
    return expectString(ctx, field.value, expected);
}

KeyValueList openEntry(const GeoReadContext &ctx, JsonValue entry, const char *expected, const char *headerExpected,
                       JsonValue &body)
{
    const JsonArray pair = expectArray(ctx, entry, expected);
    JsonArray::Iterator item = pair.begin();
    if (item.atEnd())
        failExpected(ctx, entry, expected);
    KeyValueList header(ctx, *item, headerExpected);
    header.finish();
    if ((++item).atEnd())
        failExpected(ctx, entry, expected);
    body = *item;
    return header;
}

void closeEntry(const GeoReadContext &ctx, JsonValue entry, JsonValue body, const char *expected)
{
    // The body's end is known once it was read; the document remembers the
    // entry's end, so stepping past the entry costs no scan either.
    const JsonDocument &doc = entry.document();
    const size_t close = doc.skipSpace(doc.valueEnd(body.offset()));
    if (doc.text()[close] != ']')
        failExpected(ctx, entry, expected);
    doc.remember(entry.offset(), close + 1);
}
