#include "io/parallel_text.h"

#include <memory>
#include <string>

#if defined(VELKOR_HAVE_TBB)
#  include <tbb/info.h>
#  include <tbb/parallel_pipeline.h>
#endif

namespace
{
// Room for the text of a chunk of small tuples; larger text overflows into a
// string.
constexpr size_t kChunkBlockBytes = size_t(1) << 20;

// The buffer one chunk is formatted into, reused chunk after chunk.
struct ChunkBuffer
{
    ChunkBuffer() = default;
    ChunkBuffer(const ChunkBuffer &) = delete; // text's flush refers to this buffer
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
} // namespace

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
#if defined(VELKOR_HAVE_TBB)
    // A pipeline: chunk numbers in order, formatting on any thread, output in
    // order. At most `tokens` chunks are in flight, so chunk k can reuse the
    // buffer of chunk k - tokens, which has been handed on by then; reused
    // buffers cost no fresh pages and no copy.
    const size_t tokens = 2 * size_t(tbb::info::default_concurrency()) + 2;
    const std::unique_ptr<ChunkBuffer[]> buffers(new ChunkBuffer[tokens]);
    size_t next = 0;
    tbb::parallel_pipeline(
        tokens,
        tbb::make_filter<void, size_t>(tbb::filter_mode::serial_in_order,
                                       [&](tbb::flow_control &control) -> size_t {
                                           if (next == chunks)
                                               control.stop();
                                           return next < chunks ? next++ : 0;
                                       }) &
            tbb::make_filter<size_t, size_t>(tbb::filter_mode::parallel,
                                             [&](size_t chunk) {
                                                 buffers[chunk % tokens].format(format, count, chunk);
                                                 return chunk;
                                             }) &
            tbb::make_filter<size_t, void>(tbb::filter_mode::serial_in_order,
                                           [&](size_t chunk) { buffers[chunk % tokens].handOn(json); }));
#else
    ChunkBuffer buffer;
    for (size_t chunk = 0; chunk < chunks; ++chunk)
    {
        buffer.format(format, count, chunk);
        buffer.handOn(json);
    }
#endif
}
