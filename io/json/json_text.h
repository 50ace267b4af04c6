// JSON text for the .geo writer.
//
// Text, numbers included, is written straight into one fixed block of memory
// without streams or locales, and the block is handed on whenever it fills
// up: to a file, or appended to a string. A million points of three
// attributes come to over a hundred megabytes of digits, and a buffer of that
// size would cost more in fresh memory pages than the formatting itself. The
// output depends only on the values, so a geometry always gives
// byte-identical text.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

class JsonText
{
public:
    typedef std::function<void(std::string_view)> Flush;

    // flush receives the text block by block, in order, in blocks of about
    // blockBytes.
    explicit JsonText(Flush flush, size_t blockBytes = size_t(4) << 20);

    void raw(std::string_view text)
    {
        room(text.size());
        for (const char c : text)
            *myPos++ = c;
    }
    void raw(char c)
    {
        room(1);
        *myPos++ = c;
    }
    // Text made elsewhere, of any length: large pieces go to flush as they
    // are, after what is buffered, rather than through the block.
    void bulk(std::string_view text);
    // A quoted string with JSON escapes.
    void string(std::string_view text);
    void integer(int64_t value);
    // Finite values as "%.9g" / "%.17g". Negative zero is written "-0.0":
    // many JSON readers take "-0" for the integer 0 and would lose the sign
    // (this project's reader keeps it either way). A NaN or infinity is written as one of the strings
    // "nan", "inf" or "-inf", which this project's reader reads back, and the
    // call returns false so that the caller can warn about it: plain JSON has
    // no such numbers and other readers may refuse the file.
    bool real32(float value);
    bool real64(double value);

    // Hands on whatever is left; call once at the end.
    void finish();
    // The text not handed on yet, and dropping it (for reuse of the block).
    std::string_view pending() const { return std::string_view(myBlock.get(), size_t(myPos - myBlock.get())); }
    void discardPending() { myPos = myBlock.get(); }

private:
    void room(size_t bytes)
    {
        if (size_t(myEnd - myPos) < bytes)
            makeRoom(bytes);
    }
    void makeRoom(size_t bytes);
    // Either width: a float converts to double exactly, so the value and its
    // sign reach the formatter unchanged.
    bool real(double value, bool single);

    Flush myFlush;
    size_t myCapacity;
    std::unique_ptr<char[]> myBlock;
    char *myPos;
    char *myEnd;
};
