// libFuzzer target for the .geo reader.
//
// Every input must be refused with a message or read without a crash, a
// leak or undefined behaviour (the fuzz build runs under AddressSanitizer and
// UndefinedBehaviorSanitizer). Whatever is read must also be written and read
// back: the writer's output of any geometry the reader accepts is itself a
// valid file, so a failure there is a fault too.
#include "io/geo/geo_reader.h"
#include "io/geo/geo_writer.h"

#include <GU/GU_Detail.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    GU_Detail gdp;
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const GeometryReadResult result = readGeoText(text, "input.geo", gdp);
    if (!result.ok)
    {
        if (result.message.empty())
            std::abort();  // a refusal must say why
        return 0;
    }
    // Large geometries (a header may claim a million points that need no
    // data) would only slow the fuzzer down; the writer is tested on them
    // elsewhere.
    if (gdp.getNumPoints() > 100000 || gdp.getNumPrimitives() > 100000)
        return 0;
    GeoWriteOptions options;
    options.typeTokens = result.info.typeTokens;
    std::string written;
    const IoResult formatted = formatGeoText(gdp, written, options);
    GU_Detail again;
    const GeometryReadResult reread = readGeoText(written, "written.geo", again);
    if (!formatted.ok || !reread.ok || again.getNumPoints() != gdp.getNumPoints() ||
        again.getNumPrimitives() != gdp.getNumPrimitives())
    {
        std::fprintf(stderr, "written geometry does not read back: %s%s\n", formatted.message.c_str(),
                     reread.message.c_str());
        std::abort();
    }
    return 0;
}
