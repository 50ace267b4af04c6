// Reading long lists of real tuples quickly, on two threads where allowed.
//
// The positions, directions and intensities of a million points are three
// million tuples of plain numbers, most of a large file's text. Two things
// make them quick to read. A tuple of plain numbers is read straight from the
// text, without the general path's checks per value; anything else (a
// string such as "nan", a malformed or too large number, a missing bracket)
// is left to the general path, which reads it again and names the fault.
// And a long list is cut in two: the second half is read ahead on another
// thread into a buffer while the list is read from its start as before, up
// to the tuple where the second half begins.
//
// The cut is found by guessing where the middle lies and taking the next
// tuple there. Nothing relies on the guess: the tail read ahead is used only
// when the reader of the first half arrives exactly at its first tuple, and
// only when every tuple of the tail was plain and the list closed after it.
// Numbers and brackets are all the tail may hold, and their meaning does not
// depend on what comes before, so a tail used is read exactly as the reader
// of the first half would have read it. Otherwise the tail is dropped and the
// list is read on from where the first half stopped, faults and messages
// included, exactly as on one thread.
#pragma once

#include "io/geo/geo_values.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

// Reads the tuple "[x0, ..., x(size-1)]" of plain numbers at p (its '['),
// each of magnitude below overflow, into tuple. Returns the end of the tuple,
// or null for anything else. The text must be followed by zero padding.
const char *readPlainRealTuple(const char *p, int64_t size, double overflow, double *tuple);

// No tuple found (see findTupleStart).
constexpr size_t kNoTuple = SIZE_MAX;

// The offset of the first '[' at or after from whose previous non-space
// character is a ',' (as every tuple after a list's first has), searching a
// few kilobytes; kNoTuple when there is none.
size_t findTupleStart(const char *text, size_t size, size_t from);

// A tail of a list of tuples, read ahead.
struct TupleTail
{
    size_t start = kNoTuple;  // offset of its first tuple
    size_t lastStart = 0;     // offset of its last tuple
    size_t lastEnd = 0;       // offset just past its last tuple
    int64_t count = 0;        // tuples read
    bool complete = false;    // every tuple plain, up to the list's closing bracket
    std::vector<double> values;
};

// Reads the tuples from tail.start to the end of their list, at most
// maxCount of them; expectedCount sizes the buffer. Never throws: a failure
// leaves tail.complete false.
void readTupleTail(const char *text, int64_t size, double overflow, int64_t maxCount, int64_t expectedCount,
                   TupleTail &tail);

// Reads the second half of a long list of real tuples ahead while
// readUpTo(stop, limit) reads items from it on, up to the item at offset stop
// or up to index limit, advancing it and index. Returns whether the tail was
// used: its values are then in sink and it and index stand past the list's
// last item. Lists too short to gain, or a limit of one thread, are left
// alone. Faults of the first half reach the caller as they would on one
// thread.
bool readAheadHalf(const std::function<void(size_t, int64_t)> &readUpTo, JsonValue list, JsonArray::Iterator &it,
                   int64_t &index, int64_t count, int64_t size, const NumberRule &rule, ValueSink<double> &sink);
