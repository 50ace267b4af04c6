// `velkor cook POINTS COLLIDER -o OUT`: the node on geometry files.
#pragma once

#include "cli/collider_preparation.h"
#include "cli/cook_options.h"

#include <string>

namespace CLI
{
class App;
}

struct CookCommandArgs
{
    std::string pointsPath;
    std::string colliderPath;
    std::string outputPath;
    CookOptions options;
    ColliderOptions collider;
};

CLI::App *addCookCommand(CLI::App &app, CookCommandArgs &args);
int runCookCommand(const CookCommandArgs &args);
