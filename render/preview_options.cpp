#include "render/preview_options.h"

#include <cctype>

namespace
{
// Parses a run of decimal digits; refuses empty runs, signs and spaces.
// Values beyond the largest side saturate just above it, so that very long
// numbers are reported as too large rather than overflowing.
bool parseSide(const std::string &text, int &value)
{
    if (text.empty())
        return false;
    int result = 0;
    for (char c : text)
    {
        if (c < '0' || c > '9')
            return false;
        result = result * 10 + (c - '0');
        if (result > kPreviewMaxSide)
            result = kPreviewMaxSide + 1;
    }
    value = result;
    return true;
}

std::string lowerCase(const std::string &text)
{
    std::string lower = text;
    for (char &c : lower)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

// Why a size breaks the limits ("is too small: ..."), or empty when it is fine.
std::string sizeLimitReason(int width, int height)
{
    if (width < kPreviewMinSide || height < kPreviewMinSide)
        return "is too small: each side needs at least " + std::to_string(kPreviewMinSide) + " pixels";
    if (width > kPreviewMaxSide || height > kPreviewMaxSide)
        return "is too large: each side may have at most " + std::to_string(kPreviewMaxSide) + " pixels";
    if (int64_t(width) * int64_t(height) > kPreviewMaxPixels)
        return "is too large: at most " + std::to_string(kPreviewMaxPixels) + " pixels in all";
    return std::string();
}
}  // namespace

bool checkPreviewSize(int width, int height, std::string &error)
{
    const std::string reason = sizeLimitReason(width, height);
    if (reason.empty())
        return true;
    error = "picture size " + std::to_string(width) + "x" + std::to_string(height) + " " + reason;
    return false;
}

bool parsePreviewSize(const std::string &text, int &w, int &h, std::string &error)
{
    const size_t cross = text.find_first_of("xX");
    int width = 0;
    int height = 0;
    if (cross == std::string::npos || !parseSide(text.substr(0, cross), width) ||
        !parseSide(text.substr(cross + 1), height))
    {
        error = "picture size \"" + text + "\" is not of the form WIDTHxHEIGHT, e.g. 1280x720";
        return false;
    }
    const std::string reason = sizeLimitReason(width, height);
    if (!reason.empty())
    {
        error = "picture size \"" + text + "\" " + reason;
        return false;
    }
    w = width;
    h = height;
    return true;
}

bool parsePreviewView(const std::string &text, PreviewView &view, std::string &error)
{
    const std::string lower = lowerCase(text);
    if (lower == "x")
        view = PreviewView::X;
    else if (lower == "y")
        view = PreviewView::Y;
    else if (lower == "z")
        view = PreviewView::Z;
    else if (lower == "iso")
        view = PreviewView::Iso;
    else
    {
        error = "view \"" + text + "\" is not one of x, y, z, iso";
        return false;
    }
    return true;
}

bool parsePointsShown(const std::string &text, PointsShown &shown, std::string &error)
{
    const std::string lower = lowerCase(text);
    if (lower == "new")
        shown = PointsShown::New;
    else if (lower == "input")
        shown = PointsShown::Input;
    else if (lower == "all")
        shown = PointsShown::All;
    else
    {
        error = "points \"" + text + "\" is not one of new, input, all";
        return false;
    }
    return true;
}
