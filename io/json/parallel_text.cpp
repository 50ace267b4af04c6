#include "io/json/parallel_text.h"

#include <UT/UT_ParallelUtil.h>

#include <algorithm>
#include <memory>
#include <string>

namespace
{
// Room for the text of a chunk of small tuples; larger text overflows into a
// string.
constexpr size_t kChunkBlockBytes = size_t(1) << 20;

// The buffer one chunk is formatted into, reused chunk after chunk: reused
// buffers cost no fresh pages, and their text is handed on without a copy.
struct ChunkBuffer
{
    ChunkBuffer() = default;
    ChunkBuffer(const ChunkBuffer &) = delete;  // text's flush refers to this buffer
    ChunkBuffer &operator=(const ChunkBuffer &) = delete;

    std::string overflow;
    JsonText text{[this](std::string_view block) { overflow.append(block); }, kChunkBlockBytes};

    void format(const ChunkFormatter &formatter, int64_t count, size_t chunk)
    {
        overflow.clear();
        text.discardPending();
        const int64_t begin = int64_t(chunk) * kFormatChunk;
        const int64_t end = begin + kFormatChunk < count ? begin + kFormatChunk : count;
        formatter(begin, end, text, chunk);
    }
    void handOn(JsonText &json)
    {
        if (overflow.empty())
        {
            json.bulk(text.pending());
            return;
        }
        overflow.append(text.pending());
        json.bulk(overflow);
    }
};
}  // namespace

void formatInOrder(JsonText &json, int64_t count, const ChunkFormatter &format)
{
    const size_t chunks = formatChunkCount(count);
    if (chunks <= 1)
    {
        // Not worth a thread: straight into the output.
        if (count > 0)
            format(0, count, json, 0);
        return;
    }
    // Waves of chunks in two sets of buffers: while one wave is handed on in
    // order, the next is formatted, its chunks side by side.
    const size_t wave = std::max<size_t>(2, 2 * size_t(UTgetMaxThreads()));
    const std::unique_ptr<ChunkBuffer[]> buffers(new ChunkBuffer[2 * wave]);
    auto formatWave = [&](size_t first) {
        const size_t last = std::min(chunks, first + wave);
        ChunkBuffer *set = &buffers[(first / wave) % 2 * wave];
        UTparallelFor(first, last, 1, [&](size_t begin, size_t end) {
            for (size_t chunk = begin; chunk < end; ++chunk)
                set[chunk - first].format(format, count, chunk);
        });
    };
    auto handOnWave = [&](size_t first) {
        const size_t last = std::min(chunks, first + wave);
        ChunkBuffer *set = &buffers[(first / wave) % 2 * wave];
        for (size_t chunk = first; chunk < last; ++chunk)
            set[chunk - first].handOn(json);
    };
    formatWave(0);
    for (size_t first = wave; first < chunks; first += wave)
        UTparallelInvoke([&] { handOnWave(first - wave); }, [&] { formatWave(first); });
    handOnWave((chunks - 1) / wave * wave);
}
