#include "io/json_text.h"

#include "io/float_format.h"

#include <cmath>

void JsonText::string(std::string_view text)
{
    static const char kHex[] = "0123456789abcdef";
    myOut.push_back('"');
    for (const char c : text)
    {
        const unsigned char u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\')
        {
            myOut.push_back('\\');
            myOut.push_back(c);
        }
        else if (u < 0x20)
        {
            myOut.append("\\u00");
            myOut.push_back(kHex[u >> 4]);
            myOut.push_back(kHex[u & 15]);
        }
        else
        {
            myOut.push_back(c);
        }
    }
    myOut.push_back('"');
}

void JsonText::integer(int64_t value)
{
    char buffer[kMaxNumberChars];
    myOut.append(buffer, size_t(formatInteger(value, buffer) - buffer));
}

bool JsonText::nonFinite(double value)
{
    if (std::isnan(value))
        myOut.append("\"nan\"");
    else
        myOut.append(value > 0 ? "\"inf\"" : "\"-inf\"");
    return false;
}

bool JsonText::real32(float value)
{
    if (!std::isfinite(value))
        return nonFinite(value);
    if (value == 0 && std::signbit(value))
    {
        myOut.append("-0.0");
        return true;
    }
    char buffer[kMaxNumberChars];
    myOut.append(buffer, size_t(formatFloat9(value, buffer) - buffer));
    return true;
}

bool JsonText::real64(double value)
{
    if (!std::isfinite(value))
        return nonFinite(value);
    if (value == 0 && std::signbit(value))
    {
        myOut.append("-0.0");
        return true;
    }
    char buffer[kMaxNumberChars];
    myOut.append(buffer, size_t(formatDouble17(value, buffer) - buffer));
    return true;
}
