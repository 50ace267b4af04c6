// How a result is looked at from the command line: the preview picture's
// camera, size and points, and the 3D view page.
//
// `--view` once chose the picture's camera (x, y, z, iso) and now names the
// view page to write (an .html file); the camera moved to `--camera`. A
// camera name given to `--view` is still taken as the camera, so scripts
// written before keep working; anything else must end in .html or .htm, so
// a mistyped camera name is refused instead of becoming a file name.
#pragma once

#include "render/preview_options.h"

#include <string>

namespace CLI
{
class App;
}

struct PreviewLook
{
    std::string viewText;    // --view: a camera name or a page to write; empty: neither
    std::string cameraText;  // --camera; empty: iso, or the camera given to --view
    std::string sizeText = "1280x720";
    std::string pointsText = "all";

    // The picture's settings, from texts the command line has checked.
    PreviewOptions previewOptions() const;
    // The view page to write, or empty.
    std::string pagePath() const;
};

// Adds --view, --camera, --size and --points, each checked as it is parsed,
// so a bad value is refused before anything is loaded.
void addPreviewLookOptions(CLI::App &command, PreviewLook &look);

// Checks --view against --camera: empty when they fit together, else why
// not. A camera name in --view must agree with --camera when both are given.
std::string checkViewText(const std::string &viewText, const std::string &cameraText);

// True when text names a page: it ends in .html or .htm, in either case.
bool isPagePath(const std::string &text);
