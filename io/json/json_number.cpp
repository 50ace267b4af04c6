#include "io/json/json_number.h"

#include "io/json/decimal_to_double.h"

#include <charconv>
#include <cstring>
#include <limits>
#include <system_error>

namespace
{
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// What may follow a number: whitespace, a structural character or the end
// of the text (its zero padding).
bool endsToken(char c)
{
    return c == ',' || c == ']' || c == '}' || c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == ':' || c == '\0';
}

// Eight digits at once (the text is followed by padding, so eight bytes can
// always be loaded): true when p[0..7] are all digits, with their value.
bool eightDigits(const char *p, uint64_t &value)
{
    uint64_t v;
    std::memcpy(&v, p, 8);
    if (((v & 0xF0F0F0F0F0F0F0F0u) | (((v + 0x0606060606060606u) & 0xF0F0F0F0F0F0F0F0u) >> 4)) != 0x3333333333333333u)
        return false;
    // Byte order: the first digit is the lowest byte.
    v = (v & 0x0F0F0F0F0F0F0F0Fu) * 2561 >> 8;
    v = (v & 0x00FF00FF00FF00FFu) * 6553601 >> 16;
    value = (v & 0x0000FFFF0000FFFFu) * 42949672960001u >> 32;
    return true;
}

// How many of the eight bytes at p are digits before the first that is not
// (0 to 8), with the value of those digits. Bytes after a non-digit may be
// anything (a carry out of a byte above 0xF9 only disturbs bytes after it).
int leadingDigits(const char *p, uint64_t &value)
{
    uint64_t v;
    std::memcpy(&v, p, 8);
    const uint64_t notDigit =
        ((v & 0xF0F0F0F0F0F0F0F0u) | (((v + 0x0606060606060606u) & 0xF0F0F0F0F0F0F0F0u) >> 4)) ^ 0x3333333333333333u;
    const int count = notDigit == 0 ? 8 : __builtin_ctzll(notDigit) >> 3;
    if (count == 0)
        return 0;
    // The digits at the top, zeros (the masked bytes after them) before them.
    v = (v & 0x0F0F0F0F0F0F0F0Fu) << (8 * (8 - count));
    v = v * 2561 >> 8;
    v = (v & 0x00FF00FF00FF00FFu) * 6553601 >> 16;
    value = (v & 0x0000FFFF0000FFFFu) * 42949672960001u >> 32;
    return count;
}

constexpr uint64_t kDigitScales[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};

// The significant digits of a number's integer and fraction parts.
struct Digits
{
    uint64_t mantissa = 0;  // at most 19 significant digits
    int64_t scale = 0;      // decimal exponent correction from dropped or fractional digits
    bool exact = true;      // mantissa holds every significant digit
    bool fraction = false;  // a point and fraction were read
    const char *integerEnd = nullptr;
};

// What writers produce, at most eight digits before the point and 19 in all,
// the fraction gathered eight bytes at a time. Null when the number is longer
// (or has no digit after its point): gatherDigits then reads it.
const char *gatherShortDigits(const char *p, Digits &d)
{
    // Integer parts are short: one or two digits mostly.
    uint64_t whole = uint64_t(*p - '0');
    const char *point = p + 1;
    if (whole != 0)
        for (; isDigit(*point) && point - p < 8; ++point)
            whole = whole * 10 + uint64_t(*point - '0');
    if (isDigit(*point))
        return nullptr;
    d.integerEnd = point;
    if (*point != '.')
    {
        d.mantissa = whole;
        return point;
    }
    // One run of up to eight, then digit by digit: "%.9g" gives nine fraction
    // digits below one.
    uint64_t run = 0;
    int fractionDigits = leadingDigits(point + 1, run);
    uint64_t mantissa = whole * kDigitScales[fractionDigits] + run;
    const char *end = point + 1 + fractionDigits;
    if (fractionDigits == 8)
        for (const char *last = end + (19 - 8 - (point - p)); isDigit(*end) && end < last; ++end, ++fractionDigits)
            mantissa = mantissa * 10 + uint64_t(*end - '0');
    if (fractionDigits == 0 || isDigit(*end))
        return nullptr;
    d.mantissa = mantissa;
    d.scale = -fractionDigits;
    d.fraction = true;
    return end;
}

// Any number's digits, one by one but for runs of eight in the fraction; the
// first 19 significant ones are kept. Null when the point has no digit after it.
const char *gatherDigits(const char *p, Digits &d)
{
    uint64_t mantissa = 0;
    int digits = 0;  // significant digits gathered in mantissa
    int64_t scale = 0;
    bool exact = true;
    if (*p == '0')
        ++p;
    else
    {
        for (; isDigit(*p); ++p)
        {
            if (digits < 19)
            {
                mantissa = mantissa * 10 + uint64_t(*p - '0');
                ++digits;
            }
            else
            {
                ++scale;
                exact = false;
            }
        }
    }
    d.integerEnd = p;
    if (*p == '.')
    {
        d.fraction = true;
        ++p;
        if (!isDigit(*p))
            return nullptr;
        uint64_t chunk = 0;
        for (; isDigit(*p); ++p)
        {
            if (mantissa == 0 && *p == '0')
            {
                --scale;  // leading zeros of the fraction are not significant
                continue;
            }
            if (digits + 8 <= 19 && eightDigits(p, chunk))
            {
                mantissa = mantissa * 100000000u + chunk;
                digits += 8;
                scale -= 8;
                p += 7;
                continue;
            }
            if (digits < 19)
            {
                mantissa = mantissa * 10 + uint64_t(*p - '0');
                ++digits;
                --scale;
            }
            else if (*p != '0')
                exact = false;
        }
    }
    d.mantissa = mantissa;
    d.scale = scale;
    d.exact = exact;
    return p;
}

// 10^0 .. 10^22, every one exact in a double.
constexpr double kExactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                   1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The value of a token from_chars could not represent: beyond the largest
// double (refused) or below half the smallest subnormal (a signed zero). Only
// the side matters, and it follows from where the first significant digit
// stands: such tokens are hundreds of orders of magnitude away from 1.
bool underflowsToZero(const char *begin, const char *end, bool negative, double &out)
{
    const char *p = begin + (negative ? 1 : 0);
    int64_t magnitude = 0;  // decimal position of the first significant digit
    bool significant = false;
    for (; p < end && isDigit(*p); ++p)
        if (significant || *p != '0')
        {
            significant = true;
            ++magnitude;
        }
    if (p < end && *p == '.')
        for (++p; p < end && isDigit(*p) && !significant; ++p)
        {
            if (*p != '0')
                significant = true;
            else
                --magnitude;
        }
    while (p < end && *p != 'e' && *p != 'E')
        ++p;
    int64_t exponent = 0;
    if (p < end)
    {
        ++p;
        const bool minus = *p == '-';
        if (*p == '-' || *p == '+')
            ++p;
        for (; p < end && exponent < 100000; ++p)
            exponent = exponent * 10 + (*p - '0');
        exponent = minus ? -exponent : exponent;
    }
    if (magnitude + exponent > 0)
        return false;
    out = negative ? -0.0 : 0.0;
    return true;
}
}  // namespace

const char *readJsonNumber(const char *p, JsonNumber &number)
{
    const char *begin = p;
    const bool negative = *p == '-';
    if (negative)
        ++p;
    if (!isDigit(*p))
        return nullptr;
    Digits d;
    const char *afterDigits = gatherShortDigits(p, d);
    p = afterDigits ? afterDigits : gatherDigits(p, d);
    if (!p)
        return nullptr;
    const uint64_t mantissa = d.mantissa;
    const int64_t scale = d.scale;
    const bool exact = d.exact;
    const char *integerEnd = d.integerEnd;
    bool real = d.fraction;
    int64_t exponent = 0;
    if (*p == 'e' || *p == 'E')
    {
        real = true;
        ++p;
        const bool minus = *p == '-';
        if (*p == '-' || *p == '+')
            ++p;
        if (!isDigit(*p))
            return nullptr;
        for (; isDigit(*p); ++p)
            if (exponent < 100000)
                exponent = exponent * 10 + (*p - '0');
        if (minus)
            exponent = -exponent;
    }
    if (!endsToken(*p))
        return nullptr;
    const char *end = p;

    if (!real && afterDigits)
    {
        // At most eight digits: the mantissa is the integer.
        number.kind = JsonNumber::Int64;
        number.integer = negative ? -int64_t(mantissa) : int64_t(mantissa);
    }
    else if (!real)
    {
        // An integer token: int64, uint64 or too large.
        const std::from_chars_result r = negative ? std::from_chars(begin, integerEnd, number.integer)
                                                  : std::from_chars(begin, integerEnd, number.unsignedValue);
        if (r.ec != std::errc() || r.ptr != integerEnd)
            return nullptr;
        if (negative)
            number.kind = JsonNumber::Int64;
        else if (number.unsignedValue <= uint64_t(std::numeric_limits<int64_t>::max()))
        {
            number.kind = JsonNumber::Int64;
            number.integer = int64_t(number.unsignedValue);
        }
        else
            number.kind = JsonNumber::Uint64;
    }
    else
        number.kind = JsonNumber::Real;

    const int64_t power = scale + exponent;
    if (exact && mantissa <= (uint64_t(1) << 53) && power >= -22 && power <= 22)
    {
        double value = double(mantissa);
        value = power < 0 ? value / kExactPowers[-power] : value * kExactPowers[power];
        number.real = negative ? -value : value;
        return end;
    }
    double value = 0.0;
    if (mantissa != 0 &&
        (exact ? decimalToDouble(mantissa, power, value) : truncatedDecimalToDouble(mantissa, power, value)))
    {
        number.real = negative ? -value : value;
        return end;
    }
    const std::from_chars_result r = std::from_chars(begin, end, value);
    if (r.ec == std::errc::result_out_of_range)
    {
        if (!underflowsToZero(begin, end, negative, value))
            return nullptr;
    }
    else if (r.ec != std::errc() || r.ptr != end)
        return nullptr;
    number.real = value;
    return end;
}
