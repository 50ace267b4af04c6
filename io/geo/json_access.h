// Typed access to the parsed .geo document, with errors that say where.
//
// Every read of a JSON value in the .geo reader goes through these checks, so
// a value of the wrong type, a negative or oversized count, or an odd-length
// key/value list is refused with the reader's current JSON location and a
// description of what was found instead. The read context also holds the
// limits that keep a small hostile file from making the reader allocate
// without bound (see GeoReadContext::chargeValues).
#pragma once

#include "io/io_result.h"
#include "io/json/json_path.h"

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

// Element counts above this are refused: the host numbers elements with
// 64-bit offsets, but files that large are not something this tool can cook.
constexpr int64_t kMaxElementCount = int64_t(1) << 31;
// Numeric tuples larger than this are refused (the host's largest common
// tuple is a 4x4 matrix; arrays of this size are already unusual).
constexpr int64_t kMaxTupleSize = 1024;

struct GeoReadContext
{
    explicit GeoReadContext(int64_t textBytes);

    JsonPath path;
    int64_t textBytes;    // size of the document, for the limits below
    int64_t valueBudget;  // decoded values still allowed
    GeometryReadInfo info;
    std::vector<std::string> warnings;

    // Charges n decoded values (or elements created without data) against the
    // budget. A document can only describe so much data: plain lists need at
    // least two bytes per value, and only the paged form's constant pages
    // expand. The budget allows generous expansion and stops a tiny file that
    // claims billions of values before anything is allocated.
    void chargeValues(int64_t n, const std::string &what);
};

// Throws "expected <expected>, found <description>" at the current path.
[[noreturn]] void failExpected(const GeoReadContext &ctx, JsonValue found, const std::string &expected);

JsonArray expectArray(const GeoReadContext &ctx, JsonValue value, const char *expected);
JsonObject expectObject(const GeoReadContext &ctx, JsonValue value, const char *expected);
std::string_view expectString(const GeoReadContext &ctx, JsonValue value, const char *expected);
bool expectBool(const GeoReadContext &ctx, JsonValue value, const char *expected);
// A JSON integer within [lowest, highest].
int64_t expectInteger(const GeoReadContext &ctx, JsonValue value, int64_t lowest, int64_t highest,
                      const char *expected);
// A JSON integer within [0, kMaxElementCount].
int64_t expectCount(const GeoReadContext &ctx, JsonValue value, const char *expected);

// One value of a key/value list, with the key as the file spells it.
struct KeyValueField
{
    std::string_view key;
    JsonValue value;
};

// A key/value list `[k0, v0, k1, v1, ...]`: an array of even length whose even
// items are strings. Lookups return the first field of a key.
//
// The list is read only as far as a lookup needs, so that a large value is
// read where it stands rather than first skipped to find the keys after it
// (in .geo files the keys come in a fixed order). Faults in the list itself
// (a key that is not a string, an odd length) are reported with the path
// the list was opened at, whenever they are met; finish() reads to the end.
class KeyValueList
{
public:
    KeyValueList(const GeoReadContext &ctx, JsonValue value, const char *expected);

    const KeyValueField *find(std::string_view key) const;
    // The field under key or under its abbreviated spelling.
    const KeyValueField *find(std::string_view key, std::string_view abbreviation) const;
    // The i-th field in file order; null past the last one.
    const KeyValueField *field(size_t i) const;
    // Reads and checks the rest of the list.
    void finish() const;

private:
    bool readNext() const;

    JsonPath myPath;
    const char *myExpected;
    mutable std::deque<KeyValueField> myFields;
    mutable JsonArray::Iterator myNext;
    mutable size_t myItems = 0;
    mutable bool myDone = false;
    mutable bool myValuePending = false;  // myNext stands on the last field's value
};

// A field that must be present; throws "missing key ..." otherwise.
const KeyValueField &requireField(const GeoReadContext &ctx, const KeyValueList &list, std::string_view key);
// The string under key, which must be present.
std::string_view requireString(GeoReadContext &ctx, const KeyValueList &list, std::string_view key,
                               const char *expected);

// An entry `[header, body]`, the form of every attribute and primitive:
// returns the header, a key/value list read whole, and sets body to the
// second item. expected describes the entry ("an attribute [header, body]").
// That nothing follows the body is checked by closeEntry once the body has
// been read, so that a large body is scanned only once.
KeyValueList openEntry(const GeoReadContext &ctx, JsonValue entry, const char *expected, const char *headerExpected,
                       JsonValue &body);
// Refuses an entry with anything after its body.
void closeEntry(const GeoReadContext &ctx, JsonValue entry, JsonValue body, const char *expected);
