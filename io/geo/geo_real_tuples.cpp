#include "io/geo/geo_real_tuples.h"

#include "io/json/json_number.h"

#include <cmath>

namespace
{
const char *skipSpace(const char *p)
{
    while (*p == ' ' || *p == '\n' || *p == '\r' || *p == '\t')
        ++p;
    return p;
}
} // namespace

const char *readPlainRealTuple(const char *p, int64_t size, double overflow, double *tuple)
{
    if (*p != '[')
        return nullptr;
    ++p;
    for (int64_t c = 0; c < size; ++c)
    {
        p = skipSpace(p);
        JsonNumber number;
        p = readJsonNumber(p, number); // null for anything but a number token
        if (!p || !(std::fabs(number.real) < overflow))
            return nullptr;
        tuple[c] = number.real;
        p = skipSpace(p);
        if (*p != (c + 1 < size ? ',' : ']'))
            return nullptr;
        ++p;
    }
    return p;
}

size_t findTupleStart(const char *text, size_t size, size_t from)
{
    constexpr size_t kSearch = 4096;
    if (from == 0 || from >= size)
        return kNoTuple;
    const size_t last = size - from > kSearch ? from + kSearch : size;
    for (size_t p = from; p < last; ++p)
    {
        if (text[p] != '[')
            continue;
        size_t q = p - 1;
        while (q > 0 && (text[q] == ' ' || text[q] == '\n' || text[q] == '\r' || text[q] == '\t'))
            --q;
        if (text[q] == ',')
            return p;
    }
    return kNoTuple;
}

void readTupleTail(const char *text, int64_t size, double overflow, int64_t maxCount, int64_t expectedCount,
                   TupleTail &tail)
{
    tail.complete = false;
    tail.count = 0;
    try
    {
        tail.values.reserve(size_t(expectedCount + expectedCount / 8) * size_t(size));
        std::vector<double> tuple(static_cast<size_t>(size));
        const char *p = text + tail.start;
        while (tail.count < maxCount)
        {
            const char *end = readPlainRealTuple(p, size, overflow, tuple.data());
            if (!end)
                return;
            tail.values.insert(tail.values.end(), tuple.begin(), tuple.end());
            ++tail.count;
            tail.lastStart = size_t(p - text);
            tail.lastEnd = size_t(end - text);
            p = skipSpace(end);
            if (*p == ']')
            {
                tail.complete = true;
                return;
            }
            if (*p != ',')
                return;
            p = skipSpace(p + 1);
        }
    }
    catch (...)
    {
        // Out of memory for the buffer: the list is read on one thread.
        tail.complete = false;
    }
}
