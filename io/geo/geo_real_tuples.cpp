#include "io/geo/geo_real_tuples.h"

#include "io/json/json_number.h"

#include <UT/UT_ParallelUtil.h>

#include <cmath>
#include <exception>

namespace
{
const char *skipSpace(const char *p)
{
    while (*p == ' ' || *p == '\n' || *p == '\r' || *p == '\t')
        ++p;
    return p;
}
}  // namespace

const char *readPlainRealTuple(const char *p, int64_t size, double overflow, double *tuple)
{
    if (*p != '[')
        return nullptr;
    ++p;
    for (int64_t c = 0; c < size; ++c)
    {
        p = skipSpace(p);
        JsonNumber number;
        p = readJsonNumber(p, number);  // null for anything but a number token
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

bool readAheadHalf(const std::function<void(size_t, int64_t)> &readUpTo, JsonValue list, JsonArray::Iterator &it,
                   int64_t &index, int64_t count, int64_t size, const NumberRule &rule, ValueSink<double> &sink)
{
    constexpr int64_t kMinimum = 65536;  // tuples left: fewer are read on one thread
    if (count - index < kMinimum || it.atEnd() || index == 0 || UTgetMaxThreads() < 2)
        return false;
    const JsonDocument &doc = list.document();
    const size_t here = it.offset();
    // The middle of what is left, if the tuples to come are as long as those
    // read so far.
    const double middle = double(here) + double(here - list.offset()) / double(index) * double(count - index) / 2;
    if (!(middle < double(doc.size())))
        return false;
    TupleTail tail;
    tail.start = findTupleStart(doc.text(), doc.size(), size_t(middle));
    if (tail.start == kNoTuple)
        return false;
    std::exception_ptr failure;
    const int64_t left = count - index;
    UTparallelInvoke(
        [&] {
            try
            {
                readUpTo(tail.start, count);
            }
            catch (...)
            {
                failure = std::current_exception();
            }
        },
        [&] { readTupleTail(doc.text(), size, rule.overflow, left, left / 2, tail); });
    if (failure)
        std::rethrow_exception(failure);
    if (it.atEnd() || it.offset() != tail.start || !tail.complete || index + tail.count != count)
        return false;
    for (int64_t j = 0; j < tail.count; ++j)
        sink.put(index + j, 0, size, &tail.values[size_t(j * size)]);
    index += tail.count;
    it.resumeAt(tail.lastStart);
    doc.remember(tail.lastStart, tail.lastEnd);
    ++it;  // onto the list's closing bracket
    return true;
}
