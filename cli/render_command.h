// `velkor render GEO -o OUT.png`: a picture of a geometry file, with the
// collider it was traced against and the original input points marked when
// those files are given too.
#pragma once

#include <string>

namespace CLI {
class App;
}

struct RenderCommandArgs
{
    std::string geometryPath;
    std::string colliderPath;
    std::string inputPath;
    std::string outputPath;
    std::string viewText = "iso";
    std::string sizeText = "1280x720";
    bool quiet = false;
};

CLI::App *addRenderCommand(CLI::App &app, RenderCommandArgs &args);
int runRenderCommand(const RenderCommandArgs &args);
