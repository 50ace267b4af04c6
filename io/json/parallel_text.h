// Formatting long runs of JSON text on several threads.
//
// Writing a million points means formatting tens of millions of numbers,
// which is most of a write's time. The elements are cut into chunks of a
// fixed size; chunks are formatted side by side into their own buffers and
// handed to the output strictly in order while later ones are still being
// formatted, on the host's parallel loops (UT/UT_ParallelUtil.h) and within
// its thread limit. Only a few chunks are in flight at a time, so memory
// stays at a few megabytes whatever the geometry's size. A chunk's text
// depends only on its range, never on the chunking or the thread count, so
// the bytes are exactly those of a single-threaded write.
#pragma once

#include "io/json/json_text.h"

#include <cstdint>
#include <functional>

// Formats elements [0, count): format(begin, end, out, chunk) writes the text
// of elements begin .. end - 1 to out; chunk numbers the chunks from 0 in
// order (for per-chunk records the caller merges afterwards). The text goes
// to json in element order. Exceptions from format reach the caller.
typedef std::function<void(int64_t begin, int64_t end, JsonText &out, size_t chunk)> ChunkFormatter;
void formatInOrder(JsonText &json, int64_t count, const ChunkFormatter &format);

// Elements per chunk, and so the number of chunks formatInOrder uses.
constexpr int64_t kFormatChunk = 8192;
inline size_t formatChunkCount(int64_t count) { return size_t((count + kFormatChunk - 1) / kFormatChunk); }
