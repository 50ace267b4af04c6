// `velkor render GEO -o OUT.png`: a picture of a geometry file, with the
// collider it was traced against and the original input points marked when
// those files are given too.
#pragma once

#include "cli/preview_look.h"
#include "cli/result_files.h"

#include <string>

namespace CLI
{
class App;
}

struct RenderCommandArgs
{
    ResultFilePaths files;
    PreviewLook look;
    bool quiet = false;
};

CLI::App *addRenderCommand(CLI::App &app, RenderCommandArgs &args);
int runRenderCommand(const RenderCommandArgs &args);
