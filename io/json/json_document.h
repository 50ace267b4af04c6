// A JSON document read in place, without building a tree.
//
// The .geo reader walks its document once, front to back, and decodes the
// large number lists straight into attribute pages. A tree of the whole
// document would cost several times the file's size in memory (a million
// points are tens of millions of values), so values here are just positions
// in the text: a JsonValue is a place, a JsonArray is iterated by reading
// each item where it stands, and a value the reader does not need is skipped
// by scanning over it. Everything read or skipped is checked against the
// JSON grammar on the way; the first fault throws JsonSyntaxFault with its
// byte offset.
//
// Skipping is what would make a second visit of a large region expensive, so
// the document remembers where values end: the last value read or skipped,
// and every container of more than a few kilobytes. Reading a list item by
// item and then stepping past it, or coming back to a large list found
// earlier, costs no second scan.
//
// The text must be followed by at least kJsonPadding zero bytes: scanning
// stops on them instead of checking the end at every character. UTF-8 is
// checked once for the whole text by the caller.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct JsonNumber;

constexpr size_t kJsonPadding = 64;

// Containers nested deeper than this are refused.
constexpr size_t kJsonMaxDepth = 1024;

// A violation of the JSON grammar at a byte offset.
class JsonSyntaxFault : public std::runtime_error
{
public:
    JsonSyntaxFault(size_t offset, const std::string &what) : std::runtime_error(what), myOffset(offset) {}
    size_t offset() const { return myOffset; }

private:
    size_t myOffset;
};

enum class JsonType
{
    Array,
    Object,
    Int64,
    Uint64,
    Double,
    String,
    Bool,
    Null
};

class JsonDocument;
class JsonArray;
class JsonObject;

// One value of a document: where it starts. Accessors for a type other than
// the value's own are refused with a fault.
class JsonValue
{
public:
    JsonValue() = default;
    JsonValue(const JsonDocument *doc, size_t offset) : myDoc(doc), myOffset(offset) {}

    JsonType type() const;
    bool isArray() const { return firstChar() == '['; }
    bool isObject() const { return firstChar() == '{'; }
    bool isString() const { return firstChar() == '"'; }
    bool isNumber() const
    {
        const char c = firstChar();
        return c == '-' || (c >= '0' && c <= '9');
    }

    std::string_view string() const;
    bool boolean() const;
    // Reads a number token (see io/json/json_number.h).
    void number(JsonNumber &out) const;
    JsonArray array() const;
    JsonObject object() const;

    size_t offset() const { return myOffset; }
    const JsonDocument &document() const { return *myDoc; }

private:
    inline char firstChar() const;

    const JsonDocument *myDoc = nullptr;
    size_t myOffset = 0;
};

// An array, read item by item where the items stand.
class JsonArray
{
public:
    class Iterator
    {
    public:
        JsonValue operator*() const { return JsonValue(myDoc, myPos); }
        Iterator &operator++();
        bool operator!=(const Iterator &other) const { return myAtEnd != other.myAtEnd; }
        bool atEnd() const { return myAtEnd; }
        // Where the current item starts.
        size_t offset() const { return myPos; }
        // Continues at the item starting at pos, when the items up to it were
        // read and checked by other means.
        void resumeAt(size_t pos) { myPos = pos; }

    private:
        friend class JsonArray;
        const JsonDocument *myDoc = nullptr;
        size_t myOpen = 0;  // the '[' of the array
        size_t myPos = 0;   // the current item
        bool myAtEnd = true;
    };

    JsonArray() = default;
    JsonArray(const JsonDocument *doc, size_t open) : myDoc(doc), myOpen(open) {}

    Iterator begin() const;
    Iterator end() const { return Iterator(); }
    // Counts the items (a scan over the whole array).
    size_t size() const;
    JsonValue value() const { return JsonValue(myDoc, myOpen); }

private:
    const JsonDocument *myDoc = nullptr;
    size_t myOpen = 0;
};

class JsonObject
{
public:
    JsonObject(const JsonDocument *doc, size_t open) : myDoc(doc), myOpen(open) {}
    // The value of the first member named key; false when there is none.
    bool find(std::string_view key, JsonValue &value) const;

private:
    const JsonDocument *myDoc;
    size_t myOpen;
};

class JsonDocument
{
public:
    // text must be followed by kJsonPadding zero bytes and outlive the document.
    explicit JsonDocument(std::string_view text) : myText(text.data()), mySize(text.size()) {}
    JsonDocument(const JsonDocument &) = delete;
    JsonDocument &operator=(const JsonDocument &) = delete;

    // The top-level value; checks that nothing but white space follows it.
    JsonValue root() const;
    void checkTrailing(JsonValue root) const;

    const char *text() const { return myText; }
    size_t size() const { return mySize; }

    // First offset from pos that is not white space.
    size_t skipSpace(size_t pos) const
    {
        while (isSpace(myText[pos]))
            ++pos;
        return pos;
    }
    // Offset just past the value starting at pos, checking it on the way.
    size_t valueEnd(size_t pos) const { return pos == myLastStart ? myLastEnd : scanValue(pos); }
    // Remembers that the value at start ends at end (checked).
    void remember(size_t start, size_t end) const
    {
        myLastStart = start;
        myLastEnd = end;
        if (end - start >= kLargeContainer)
            rememberLarge(start, end);
    }
    // The string starting at pos (its opening quote), escapes resolved; end
    // receives the offset past its closing quote.
    std::string_view readString(size_t pos, size_t &end) const;

    [[noreturn]] void fault(size_t offset, const std::string &what) const;

private:
    static bool isSpace(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }
    // Containers at least this long are remembered for good once their end
    // is known; smaller ones are cheap to scan again.
    static constexpr size_t kLargeContainer = 4096;

    void rememberLarge(size_t start, size_t end) const;
    size_t scanValue(size_t pos) const;
    size_t scanString(size_t pos, bool &escaped) const;
    // The code unit of the \uXXXX escape at pos.
    uint32_t escapedUnit(size_t pos) const;
    size_t scanScalar(size_t pos) const;
    size_t scanContainer(size_t pos) const;

    const char *myText;
    size_t mySize;
    mutable size_t myLastStart = SIZE_MAX;
    mutable size_t myLastEnd = 0;
    mutable std::unordered_map<size_t, size_t> myLargeEnds;
    mutable std::vector<size_t> myStack;  // starts of the open containers
    mutable std::deque<std::string> myUnescaped;
};

char JsonValue::firstChar() const { return myDoc->text()[myOffset]; }
