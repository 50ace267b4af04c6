#include "cli/preview_look.h"

#include <CLI/CLI.hpp>

#include <cctype>

namespace
{

bool isCameraName(const std::string &text, PreviewView &view)
{
    std::string error;
    return parsePreviewView(text, view, error);
}

std::string checkSize(const std::string &text)
{
    int width = 0, height = 0;
    std::string error;
    return parsePreviewSize(text, width, height, error) ? std::string() : error;
}

std::string checkCamera(const std::string &text)
{
    PreviewView view = PreviewView::Iso;
    std::string error;
    return parsePreviewView(text, view, error) ? std::string() : error;
}

std::string checkPoints(const std::string &text)
{
    PointsShown shown = PointsShown::All;
    std::string error;
    return parsePointsShown(text, shown, error) ? std::string() : error;
}

}  // namespace

bool isPagePath(const std::string &text)
{
    std::string lower;
    for (char c : text)
        lower += char(std::tolower(static_cast<unsigned char>(c)));
    const auto endsWith = [&lower](const std::string &end) {
        return lower.size() > end.size() && lower.compare(lower.size() - end.size(), end.size(), end) == 0;
    };
    return endsWith(".html") || endsWith(".htm");
}

std::string checkViewText(const std::string &viewText, const std::string &cameraText)
{
    PreviewView fromView = PreviewView::Iso, fromCamera = PreviewView::Iso;
    if (viewText.empty() || isPagePath(viewText))
        return std::string();
    if (!isCameraName(viewText, fromView))
        return "view \"" + viewText + "\" is neither a camera (x, y, z, iso) nor a page to write (.html)";
    if (!cameraText.empty() && isCameraName(cameraText, fromCamera) && fromCamera != fromView)
        return "--view " + viewText + " and --camera " + cameraText + " name different cameras";
    return std::string();
}

PreviewOptions PreviewLook::previewOptions() const
{
    PreviewOptions preview;
    std::string error;
    parsePreviewSize(sizeText, preview.width, preview.height, error);
    parsePointsShown(pointsText, preview.points, error);
    if (!cameraText.empty())
        parsePreviewView(cameraText, preview.view, error);
    else if (!viewText.empty() && !isPagePath(viewText))
        parsePreviewView(viewText, preview.view, error);
    return preview;
}

std::string PreviewLook::pagePath() const { return isPagePath(viewText) ? viewText : std::string(); }

void addPreviewLookOptions(CLI::App &command, PreviewLook &look)
{
    command
        .add_option("--view", look.viewText,
                    "Also write a 3D view page (FILE.html); a camera name (x, y, z, iso) is taken as --camera")
        ->group("Preview");
    command.add_option("--camera", look.cameraText, "Picture seen along x, y, z or from a three-quarter iso view")
        ->check(checkCamera, "x|y|z|iso")
        ->group("Preview");
    command.add_option("--size", look.sizeText, "Picture size in pixels, WIDTHxHEIGHT")
        ->check(checkSize, "WxH")
        ->capture_default_str()
        ->group("Preview");
    command
        .add_option("--points", look.pointsText,
                    "Points drawn: new (appended), input, or all (input points small, behind the new ones)")
        ->check(checkPoints, "new|input|all")
        ->capture_default_str()
        ->group("Preview");
    // --view is checked once every option is in, since it depends on --camera.
    command.final_callback([&look]() {
        const std::string problem = checkViewText(look.viewText, look.cameraText);
        if (!problem.empty())
            throw CLI::ValidationError("--view", problem);
    });
}
