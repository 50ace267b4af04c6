#include "io/geo/geo_paged_values.h"

#include <string>

namespace
{
// Component groups of the tuple: widths summing to the tuple size.
std::vector<int64_t> readPacking(GeoReadContext &ctx, const KeyValueList &values, int64_t size)
{
    const KeyValueField *field = values.find("packing");
    if (!field)
        return {size};
    PathScope scope(ctx.path, field->key);
    const JsonArray groups = expectArray(ctx, field->value, "an array of component counts");
    std::vector<int64_t> widths;
    int64_t total = 0;
    uint64_t index = 0;
    for (const JsonValue group : groups)
    {
        PathScope item(ctx.path, index++);
        const int64_t width = expectInteger(ctx, group, 1, size, "a component count");
        total += width;
        if (total > size)
            failAt(ctx.path, "packing covers more than the tuple size " + std::to_string(size));
        widths.push_back(width);
    }
    if (total != size)
        failAt(ctx.path, "packing covers " + std::to_string(total) + " components, expected the tuple size " +
                             std::to_string(size));
    return widths;
}

// One flag array per group; entries past the page count are ignored.
std::vector<std::vector<bool>> readConstantFlags(GeoReadContext &ctx, const KeyValueList &values, size_t groups,
                                                 int64_t pages)
{
    std::vector<std::vector<bool>> flags(groups);
    const KeyValueField *field = values.find("constantpageflags");
    if (!field)
        return flags;
    PathScope scope(ctx.path, field->key);
    const JsonArray perGroup = expectArray(ctx, field->value, "an array of flag arrays");
    size_t g = 0;
    for (const JsonValue list : perGroup)
    {
        PathScope item(ctx.path, uint64_t(g));
        const JsonArray pageFlags = expectArray(ctx, list, "an array of page flags");
        uint64_t p = 0;
        for (const JsonValue flag : pageFlags)
        {
            PathScope page(ctx.path, p);
            const bool constant = expectBool(ctx, flag, "true or false");
            if (g < groups && int64_t(p) < pages)
                flags[g].push_back(constant);
            ++p;
        }
        ++g;
    }
    return flags;
}
}  // namespace

template <typename T>
void decodePagedValues(GeoReadContext &ctx, const KeyValueList &values, int64_t count, int64_t size,
                       const NumberRule &rule, ValueSink<T> &sink, ValueReader<T> read)
{
    int64_t pageSize = 0;
    {
        const KeyValueField &field = requireField(ctx, values, "pagesize");
        PathScope scope(ctx.path, field.key);
        pageSize = expectInteger(ctx, field.value, 1, kMaxElementCount, "a page size");
    }
    const std::vector<int64_t> widths = readPacking(ctx, values, size);
    const int64_t pages = (count + pageSize - 1) / pageSize;
    const std::vector<std::vector<bool>> flags = readConstantFlags(ctx, values, widths.size(), pages);

    const KeyValueField &raw = *values.find("rawpagedata");
    PathScope scope(ctx.path, raw.key);
    const JsonArray data = expectArray(ctx, raw.value, "an array of numbers");
    JsonArray::Iterator next = data.begin();
    uint64_t position = 0;
    std::vector<T> group(static_cast<size_t>(size));
    // The next value of the data, or the message that it ran out inside this
    // page and group (counted from the group's first value).
    auto take = [&](int64_t p, size_t g, uint64_t groupStart) -> T {
        if (next.atEnd())
            failAt(ctx.path, "the data ends at value " + std::to_string(groupStart) + " inside page " +
                                 std::to_string(p) + ", packing group " + std::to_string(g));
        const T value = read(ctx, *next, rule, position, -1);
        ++next;
        ++position;
        return value;
    };

    for (int64_t p = 0; p < pages; ++p)
    {
        const int64_t first = p * pageSize;
        const int64_t last = first + pageSize < count ? first + pageSize : count;
        int64_t offset = 0;
        for (size_t g = 0; g < widths.size(); ++g)
        {
            const int64_t width = widths[g];
            const bool constant = size_t(p) < flags[g].size() && flags[g][size_t(p)];
            const uint64_t groupStart = position;
            if (constant)
            {
                for (int64_t k = 0; k < width; ++k)
                    group[size_t(k)] = take(p, g, groupStart);
                for (int64_t e = first; e < last; ++e)
                    sink.put(e, offset, width, group.data());
            }
            else
            {
                for (int64_t e = first; e < last; ++e)
                {
                    for (int64_t k = 0; k < width; ++k)
                        group[size_t(k)] = take(p, g, groupStart);
                    sink.put(e, offset, width, group.data());
                }
            }
            offset += width;
        }
    }
    if (!next.atEnd())
    {
        uint64_t available = position;
        for (; !next.atEnd(); ++next)
            ++available;
        failAt(ctx.path,
               "holds " + std::to_string(available) + " values, but the pages use only " + std::to_string(position));
    }
}

template void decodePagedValues<double>(GeoReadContext &, const KeyValueList &, int64_t, int64_t, const NumberRule &,
                                        ValueSink<double> &, ValueReader<double>);
template void decodePagedValues<int64_t>(GeoReadContext &, const KeyValueList &, int64_t, int64_t, const NumberRule &,
                                         ValueSink<int64_t> &, ValueReader<int64_t>);
