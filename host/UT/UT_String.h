// Owned text of the host, used for string parameter and variable values.
#pragma once

#include <cstdint>
#include <string>

class UT_String
{
public:
    UT_String() = default;
    UT_String(const char *s) : myText(s ? s : "") {}
    UT_String(const std::string &s) : myText(s) {}

    const char *c_str() const { return myText.c_str(); }
    const char *buffer() const { return myText.c_str(); }
    bool isstring() const { return !myText.empty(); }
    int64_t length() const { return int64_t(myText.size()); }
    const std::string &toStdString() const { return myText; }

    UT_String &operator=(const char *s)
    {
        myText = s ? s : "";
        return *this;
    }
    bool operator==(const char *s) const { return myText == (s ? s : ""); }

private:
    std::string myText;
};
