#include "io/json/json_syntax_error.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdint>

namespace
{
// Accepts every event and remembers the first parse error.
class ErrorCatcher : public nlohmann::json_sax<nlohmann::json>
{
public:
    bool null() override { return true; }
    bool boolean(bool) override { return true; }
    bool number_integer(number_integer_t) override { return true; }
    bool number_unsigned(number_unsigned_t) override { return true; }
    bool number_float(number_float_t, const string_t &) override { return true; }
    bool string(string_t &) override { return true; }
    bool binary(binary_t &) override { return true; }
    bool start_object(std::size_t) override { return true; }
    bool key(string_t &) override { return true; }
    bool end_object() override { return true; }
    bool start_array(std::size_t) override { return true; }
    bool end_array() override { return true; }
    bool parse_error(std::size_t position, const std::string &, const nlohmann::json::exception &ex) override
    {
        failed = true;
        byte = position;
        detail = ex.what();
        return false;
    }

    bool failed = false;
    std::size_t byte = 0;
    std::string detail;
};

// The parser's own text after its "line L, column C: " prefix.
std::string reason(const std::string &what)
{
    const size_t column = what.find("column ");
    const size_t colon = column == std::string::npos ? std::string::npos : what.find(": ", column);
    std::string text = colon == std::string::npos ? what : what.substr(colon + 2);
    constexpr size_t kMaxChars = 160;
    if (text.size() > kMaxChars)
        text = text.substr(0, kMaxChars) + "...";
    for (char &c : text)
        if (static_cast<unsigned char>(c) < 0x20)
            c = ' ';
    return text;
}
}  // namespace

JsonSyntaxError locateJsonSyntaxError(std::string_view text)
{
    JsonSyntaxError result;
    ErrorCatcher catcher;
    try
    {
        nlohmann::json::sax_parse(text.begin(), text.end(), &catcher);
    }
    catch (const std::exception &ex)
    {
        catcher.failed = true;
        catcher.detail = ex.what();
    }
    if (!catcher.failed)
        return result;
    // The reported position counts characters read, the failing one included.
    const size_t offset = catcher.byte > 0 ? std::min(catcher.byte - 1, text.size()) : 0;
    int64_t line = 1, column = 1;
    for (size_t i = 0; i < offset; ++i)
    {
        if (text[i] == '\n')
        {
            ++line;
            column = 1;
        }
        else
            ++column;
    }
    result.found = true;
    result.location = "line " + std::to_string(line) + ", column " + std::to_string(column) + " (byte " +
                      std::to_string(offset) + ")";
    result.reason = reason(catcher.detail);
    return result;
}
