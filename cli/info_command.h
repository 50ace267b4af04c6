// `velkor info FILE`: what a geometry file holds and what the node will make
// of it. Shows the counts, every point attribute with its storage, tuple size
// and type-information code, the attributes the node gathers by code, and
// whether the file can serve as the points or the collider, and what
// `velkor cook` would do to it as a collider, with the same collider options.
#pragma once

#include "cli/collider_preparation.h"

#include <string>

namespace CLI
{
class App;
}

struct InfoCommandArgs
{
    std::string path;
    ColliderOptions collider;
};

CLI::App *addInfoCommand(CLI::App &app, InfoCommandArgs &args);
int runInfoCommand(const InfoCommandArgs &args);
