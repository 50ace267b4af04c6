#include "io/json/json_text.h"

#include "io/json/float_format.h"

#include <cmath>
#include <cstring>

JsonText::JsonText(Flush flush, size_t blockBytes)
    : myFlush(std::move(flush)), myCapacity(blockBytes), myBlock(new char[blockBytes]), myPos(myBlock.get()),
      myEnd(myBlock.get() + blockBytes)
{}

void JsonText::bulk(std::string_view text)
{
    constexpr size_t kDirect = size_t(64) << 10;
    if (text.size() >= kDirect)
    {
        finish();
        myFlush(text);
        return;
    }
    room(text.size());
    std::memcpy(myPos, text.data(), text.size());
    myPos += text.size();
}

void JsonText::makeRoom(size_t bytes)
{
    finish();
    if (bytes > myCapacity)
    {
        myBlock.reset(new char[bytes]);
        myCapacity = bytes;
        myPos = myBlock.get();
        myEnd = myPos + bytes;
    }
}

void JsonText::finish()
{
    if (myPos != myBlock.get())
        myFlush(std::string_view(myBlock.get(), size_t(myPos - myBlock.get())));
    myPos = myBlock.get();
}

void JsonText::string(std::string_view text)
{
    static const char kHex[] = "0123456789abcdef";
    room(text.size() * 6 + 2);
    *myPos++ = '"';
    for (const char c : text)
    {
        const unsigned char u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\')
        {
            *myPos++ = '\\';
            *myPos++ = c;
        }
        else if (u < 0x20)
        {
            std::memcpy(myPos, "\\u00", 4);
            myPos[4] = kHex[u >> 4];
            myPos[5] = kHex[u & 15];
            myPos += 6;
        }
        else
        {
            *myPos++ = c;
        }
    }
    *myPos++ = '"';
}

void JsonText::integer(int64_t value)
{
    room(kMaxNumberChars);
    myPos = formatInteger(value, myPos);
}

bool JsonText::real(double value, bool single)
{
    if (!std::isfinite(value))
    {
        if (std::isnan(value))
            raw("\"nan\"");
        else
            raw(value > 0 ? "\"inf\"" : "\"-inf\"");
        return false;
    }
    room(kMaxNumberChars);
    if (value == 0 && std::signbit(value))
        raw("-0.0");
    else
        myPos = single ? formatFloat9(float(value), myPos) : formatDouble17(value, myPos);
    return true;
}

bool JsonText::real32(float value) { return real(value, true); }

bool JsonText::real64(double value) { return real(value, false); }
