// A growing JSON text for the .geo writer.
//
// Everything is appended to one std::string, numbers included, without
// streams or locales: a million points of three attributes come to a few
// hundred megabytes of digits, and building them in one buffer is what keeps
// writing well under a second. The output depends only on the values, so a
// geometry always gives byte-identical text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class JsonText
{
public:
    explicit JsonText(std::string &out) : myOut(out) {}

    void raw(std::string_view text) { myOut.append(text); }
    void raw(char c) { myOut.push_back(c); }
    // A quoted string with JSON escapes.
    void string(std::string_view text);
    void integer(int64_t value);
    // Finite values as "%.9g" / "%.17g". Negative zero is written "-0.0":
    // JSON readers (this project's included) take "-0" for the integer 0 and
    // would lose the sign. A NaN or infinity is written as one of the strings
    // "nan", "inf" or "-inf", which this project's reader reads back, and the
    // call returns false so that the caller can warn about it: plain JSON has
    // no such numbers and other readers may refuse the file.
    bool real32(float value);
    bool real64(double value);

private:
    bool nonFinite(double value);
    std::string &myOut;
};
