// `velkor view RESULT.geo [COLLIDER] -o view.html`: a 3D view page of a
// result file, with its collider and, when the cook's input is given, the
// input points marked apart. The page is one self-contained HTML file.
#pragma once

#include "cli/result_files.h"

#include <cstdint>
#include <string>

namespace CLI
{
class App;
}

struct ViewCommandArgs
{
    ResultFilePaths files;
    std::string pointsText = "all";
    int64_t maxPoints = 2000000;  // kViewPointLimit
    bool quiet = false;
};

CLI::App *addViewCommand(CLI::App &app, ViewCommandArgs &args);
int runViewCommand(const ViewCommandArgs &args);
