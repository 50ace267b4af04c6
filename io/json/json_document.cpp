#include "io/json/json_document.h"

#include "io/json/json_number.h"

#include <cstring>

namespace
{
bool endsLiteral(char c)
{
    return c == ',' || c == ']' || c == '}' || c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == ':' || c == '\0';
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

void appendUtf8(std::string &out, uint32_t code)
{
    if (code < 0x80)
        out += char(code);
    else if (code < 0x800)
    {
        out += char(0xC0 | (code >> 6));
        out += char(0x80 | (code & 0x3F));
    }
    else if (code < 0x10000)
    {
        out += char(0xE0 | (code >> 12));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    }
    else
    {
        out += char(0xF0 | (code >> 18));
        out += char(0x80 | ((code >> 12) & 0x3F));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    }
}
}  // namespace

uint32_t JsonDocument::escapedUnit(size_t pos) const
{
    uint32_t code = 0;
    for (int k = 2; k < 6; ++k)
    {
        const int digit = hexValue(myText[pos + k]);
        if (digit < 0)
            fault(pos, "a malformed \\u escape in a string");
        code = code * 16 + uint32_t(digit);
    }
    return code;
}

void JsonDocument::fault(size_t offset, const std::string &what) const { throw JsonSyntaxFault(offset, what); }

void JsonDocument::rememberLarge(size_t start, size_t end) const
{
    if (myText[start] == '[' || myText[start] == '{')
        myLargeEnds.emplace(start, end);
}

JsonValue JsonDocument::root() const
{
    const size_t pos = skipSpace(0);
    if (pos >= mySize)
        fault(pos, "the text ends where a value was expected");
    return JsonValue(this, pos);
}

void JsonDocument::checkTrailing(JsonValue root) const
{
    const size_t pos = skipSpace(valueEnd(root.offset()));
    if (pos < mySize)
        fault(pos, "more text after the top-level value");
}

size_t JsonDocument::scanString(size_t pos, bool &escaped) const
{
    escaped = false;
    size_t p = pos + 1;
    for (;;)
    {
        const unsigned char c = static_cast<unsigned char>(myText[p]);
        if (c == '"')
            return p + 1;
        if (c == '\\')
        {
            escaped = true;
            const char e = myText[p + 1];
            if (e == 'u')
            {
                // A high surrogate must be followed by an escaped low one, and
                // a low one never stands alone.
                const uint32_t code = escapedUnit(p);
                p += 6;
                if (code >= 0xD800 && code < 0xDC00)
                {
                    const uint32_t low = myText[p] == '\\' && myText[p + 1] == 'u' ? escapedUnit(p) : 0;
                    if (low < 0xDC00 || low >= 0xE000)
                        fault(p - 6, "an unpaired surrogate escape in a string");
                    p += 6;
                }
                else if (code >= 0xDC00 && code < 0xE000)
                    fault(p - 6, "an unpaired surrogate escape in a string");
            }
            else if (e == '"' || e == '\\' || e == '/' || e == 'b' || e == 'f' || e == 'n' || e == 'r' || e == 't')
                p += 2;
            else
                fault(p, "an unknown escape in a string");
            continue;
        }
        if (c < 0x20)
        {
            if (p >= mySize)
                fault(pos, "a string that is never closed");
            fault(p, "a control character inside a string");
        }
        ++p;
    }
}

std::string_view JsonDocument::readString(size_t pos, size_t &end) const
{
    bool escaped = false;
    end = scanString(pos, escaped);
    remember(pos, end);
    if (!escaped)
        return std::string_view(myText + pos + 1, end - pos - 2);
    std::string out;
    for (size_t p = pos + 1; p + 1 < end;)
    {
        if (myText[p] != '\\')
        {
            out += myText[p++];
            continue;
        }
        const char e = myText[p + 1];
        if (e != 'u')
        {
            const char *from = "\"\\/bfnrt";
            const char *to = "\"\\/\b\f\n\r\t";
            out += to[std::strchr(from, e) - from];
            p += 2;
            continue;
        }
        uint32_t code = escapedUnit(p);
        p += 6;
        if (code >= 0xD800 && code < 0xDC00)
        {
            code = 0x10000 + ((code - 0xD800) << 10) + (escapedUnit(p) - 0xDC00);  // checked by scanString
            p += 6;
        }
        appendUtf8(out, code);
    }
    myUnescaped.push_back(std::move(out));
    return myUnescaped.back();
}

size_t JsonDocument::scanScalar(size_t pos) const
{
    const char c = myText[pos];
    if (c == '"')
    {
        bool escaped = false;
        return scanString(pos, escaped);
    }
    if (c == '-' || (c >= '0' && c <= '9'))
    {
        JsonNumber number;
        const char *end = readJsonNumber(myText + pos, number);
        if (!end)
            fault(pos, "a malformed or out-of-range number");
        return size_t(end - myText);
    }
    const char *literal = c == 't' ? "true" : c == 'f' ? "false" : c == 'n' ? "null" : nullptr;
    if (literal)
    {
        const size_t n = std::strlen(literal);
        if (std::memcmp(myText + pos, literal, n) == 0 && endsLiteral(myText[pos + n]))
            return pos + n;
    }
    if (pos >= mySize)
        fault(pos, "the text ends where a value was expected");
    fault(pos, "an unexpected character where a value was expected");
}

size_t JsonDocument::scanContainer(size_t start) const
{
    // States: a value or the close may follow ('['/'{' just opened), a value
    // must follow (after ',' in an array), a key must follow (after ',' in an
    // object), a ',' or the close must follow (after a value).
    enum State
    {
        Opened,
        Value,
        Key,
        Next
    };
    myStack.clear();
    myStack.push_back(start);
    State state = Opened;
    size_t p = start + 1;
    for (;;)
    {
        p = skipSpace(p);
        const char c = myText[p];
        const bool inObject = myText[myStack.back()] == '{';
        if (state == Opened || state == Next)
        {
            if (c == (inObject ? '}' : ']'))
            {
                ++p;
                remember(myStack.back(), p);
                myStack.pop_back();
                if (myStack.empty())
                    return p;
                state = Next;
                continue;
            }
            if (state == Next)
            {
                if (c != ',')
                    fault(p, inObject ? "expected ',' or '}' in an object" : "expected ',' or ']' in an array");
                ++p;
                state = inObject ? Key : Value;
                continue;
            }
            state = inObject ? Key : Value;
        }
        if (state == Key)
        {
            if (c != '"')
                fault(p, "expected a string key in an object");
            bool escaped = false;
            p = skipSpace(scanString(p, escaped));
            if (myText[p] != ':')
                fault(p, "expected ':' after an object key");
            p = skipSpace(p + 1);
            state = Value;
        }
        const char v = myText[p];
        if (v == '[' || v == '{')
        {
            if (myStack.size() >= kJsonMaxDepth)
                fault(p, "containers nested too deeply");
            myStack.push_back(p);
            ++p;
            state = Opened;
            continue;
        }
        p = scanScalar(p);
        state = Next;
    }
}

size_t JsonDocument::scanValue(size_t pos) const
{
    const char c = myText[pos];
    if (c == '[' || c == '{')
    {
        const auto known = myLargeEnds.find(pos);
        if (known != myLargeEnds.end())
            return known->second;
        const size_t end = scanContainer(pos);
        remember(pos, end);
        return end;
    }
    const size_t end = scanScalar(pos);
    remember(pos, end);
    return end;
}
