#include "io/json/json_path.h"

#include "io/json/json_number.h"

#include <cstdio>
#include <string>

std::string JsonPath::str() const
{
    if (mySegments.empty())
        return "(top level)";
    std::string text;
    for (const Segment &segment : mySegments)
    {
        if (segment.isIndex)
        {
            text += '[';
            text += std::to_string(segment.index);
            text += ']';
        }
        else
        {
            if (!text.empty())
                text += '/';
            text += segment.key;
        }
    }
    return text;
}

void failAt(const JsonPath &path, const std::string &what) { throw GeoFormatError(path.str(), what); }

void failAtIndex(const JsonPath &path, uint64_t index, const std::string &what)
{
    throw GeoFormatError(path.str() + "[" + std::to_string(index) + "]", what);
}

namespace
{
// Strings in messages are cut short and stripped of control characters, so a
// hostile file cannot flood or garble the terminal.
std::string quoted(std::string_view text)
{
    constexpr size_t kMaxChars = 40;
    std::string out = "\"";
    for (size_t i = 0; i < text.size() && i < kMaxChars; ++i)
    {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        out += (c < 0x20 || c == 0x7f) ? '?' : char(c);
    }
    if (text.size() > kMaxChars)
        out += "...";
    out += '"';
    return out;
}
}  // namespace

std::string describeElement(JsonValue element)
{
    switch (element.type())
    {
    case JsonType::Array:
    {
        const size_t n = element.array().size();
        return n == 0 ? "an empty array" : "an array of " + std::to_string(n) + (n == 1 ? " item" : " items");
    }
    case JsonType::Object:
        return "an object";
    case JsonType::Int64:
    case JsonType::Uint64:
    case JsonType::Double:
    {
        JsonNumber number;
        element.number(number);
        if (number.kind == JsonNumber::Int64)
            return "the number " + std::to_string(number.integer);
        if (number.kind == JsonNumber::Uint64)
            return "the number " + std::to_string(number.unsignedValue);
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.17g", number.real);
        return std::string("the number ") + buffer;
    }
    case JsonType::String:
        return "a string " + quoted(element.string());
    case JsonType::Bool:
        return element.boolean() ? "true" : "false";
    case JsonType::Null:
        return "null";
    }
    return "an unknown value";
}
