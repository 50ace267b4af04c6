#include "cli/summary.h"

#include <cinttypes>
#include <cstdio>
#include <sstream>

namespace
{

void row(std::ostringstream &out, const char *label, const std::string &value)
{
    char padded[32];
    std::snprintf(padded, sizeof(padded), "  %-17s", label);
    out << padded << value << '\n';
}

}  // namespace

std::string formatCount(int64_t value)
{
    const bool negative = value < 0;
    // Through unsigned arithmetic, so the most negative value has a magnitude too.
    uint64_t magnitude = negative ? uint64_t(0) - uint64_t(value) : uint64_t(value);
    std::string digits = std::to_string(magnitude);
    std::string grouped;
    const size_t n = digits.size();
    for (size_t i = 0; i < n; ++i)
    {
        if (i > 0 && (n - i) % 3 == 0)
            grouped += ',';
        grouped += digits[i];
    }
    return negative ? "-" + grouped : grouped;
}

std::string formatSeconds(double seconds)
{
    char text[48];
    std::snprintf(text, sizeof(text), "%.3f s", seconds);
    return text;
}

std::string formatSummary(const CookSummary &s)
{
    std::ostringstream out;
    out << s.title << '\n';
    row(out, "input points", formatCount(s.inputPoints));
    row(out, "collider prims", formatCount(s.colliderPrimitives));
    for (const std::string &note : s.colliderNotes)
        row(out, "  prepared", note);
    // A cook stopped early (bounces below 1) may leave fewer points than
    // it was given; that count is shown as it is, not as a negative gain.
    if (s.outputPoints >= s.inputPoints)
        row(out, "points appended", formatCount(s.outputPoints - s.inputPoints));
    else if (s.outputPoints >= 0)
        row(out, "output points", formatCount(s.outputPoints));
    if (s.raysTraced >= 0)
        row(out, "rays traced", formatCount(s.raysTraced));
    if (s.readSeconds >= 0.0)
        row(out, "read", formatSeconds(s.readSeconds));
    if (s.cookSeconds >= 0.0)
    {
        std::string cook = formatSeconds(s.cookSeconds);
        if (s.raysTraced >= 0 && s.cookSeconds > 0.0)
            cook += "   " + formatCount(int64_t(double(s.raysTraced) / s.cookSeconds)) + " rays/s";
        cook +=
            "   (" + std::to_string(s.threads) + (s.threads == 1 ? " thread, " : " threads, ") + s.search + " search)";
        row(out, "cook", cook);
        if (s.buildSeconds >= 0.0)
            row(out, "  of which build", formatSeconds(s.buildSeconds) + "   (collider search structure)");
    }
    if (s.writeSeconds >= 0.0)
        row(out, "write", formatSeconds(s.writeSeconds) + "   " + s.outputPath);
    if (s.previewSeconds >= 0.0)
        row(out, "preview", formatSeconds(s.previewSeconds) + "   " + s.previewPath);
    if (s.viewSeconds >= 0.0)
        row(out, "view", formatSeconds(s.viewSeconds) + "   " + s.viewPath);
    if (s.messages.empty() && s.fileWarnings.empty())
        row(out, "messages", "none");
    for (const UT_ErrorRecord &m : s.messages)
        out << "  " << UTgetSeverityLabel(m.severity) << ": " << m.message << '\n';
    for (const std::string &w : s.fileWarnings)
        out << "  Warning: " << w << '\n';
    return out.str();
}
