#include "view/base64.h"

#include <cstdint>

namespace
{
constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
}

size_t base64Length(size_t size) { return (size + 2) / 3 * 4; }

void appendBase64(std::string &out, const void *data, size_t size)
{
    const uint8_t *bytes = static_cast<const uint8_t *>(data);
    const size_t start = out.size();
    out.resize(start + base64Length(size));
    char *text = &out[start];
    size_t i = 0;
    for (; i + 3 <= size; i += 3)
    {
        const uint32_t v = uint32_t(bytes[i]) << 16 | uint32_t(bytes[i + 1]) << 8 | bytes[i + 2];
        *text++ = kAlphabet[v >> 18];
        *text++ = kAlphabet[(v >> 12) & 63];
        *text++ = kAlphabet[(v >> 6) & 63];
        *text++ = kAlphabet[v & 63];
    }
    if (i < size)
    {
        const bool two = i + 1 < size;
        const uint32_t v = uint32_t(bytes[i]) << 16 | (two ? uint32_t(bytes[i + 1]) << 8 : 0u);
        *text++ = kAlphabet[v >> 18];
        *text++ = kAlphabet[(v >> 12) & 63];
        *text++ = two ? kAlphabet[(v >> 6) & 63] : '=';
        *text++ = '=';
    }
}
