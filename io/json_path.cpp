#include "io/json_path.h"

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

void failAt(const JsonPath &path, const std::string &what)
{
    throw GeoFormatError(path.str(), what);
}

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
} // namespace

std::string describeElement(simdjson::dom::element element)
{
    using simdjson::dom::element_type;
    switch (element.type())
    {
    case element_type::ARRAY:
    {
        const size_t n = element.get_array().value_unsafe().size();
        return n == 0 ? "an empty array" : "an array of " + std::to_string(n) + (n == 1 ? " item" : " items");
    }
    case element_type::OBJECT:
        return "an object";
    case element_type::INT64:
        return "the number " + std::to_string(element.get_int64().value_unsafe());
    case element_type::UINT64:
        return "the number " + std::to_string(element.get_uint64().value_unsafe());
    case element_type::DOUBLE:
    {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.17g", element.get_double().value_unsafe());
        return std::string("the number ") + buffer;
    }
    case element_type::STRING:
        return "a string " + quoted(element.get_string().value_unsafe());
    case element_type::BOOL:
        return element.get_bool().value_unsafe() ? "true" : "false";
    case element_type::NULL_VALUE:
        return "null";
    }
    return "an unknown value";
}
