// `velkor demo`: the node on the built-in scene (see demo_scene.h), writing
// the result, its preview picture and its view page side by side. Needs no files, so it is
// the first thing to run after a build.
#pragma once

#include "cli/cook_options.h"
#include "cli/demo_scene.h"

#include <string>

namespace CLI
{
class App;
}

struct DemoCommandArgs
{
    std::string outputPath = "demo.geo";
    std::string sceneFolder;  // where to save the scene's inputs, if anywhere
    bool sceneOnly = false;   // save the inputs and stop, without cooking
    DemoSceneSize size;
    CookOptions options;
};

CLI::App *addDemoCommand(CLI::App &app, DemoCommandArgs &args);
int runDemoCommand(const DemoCommandArgs &args);

// The preview and the view page written beside an output: same name,
// extension .png and .html.
std::string previewPathBeside(const std::string &outputPath);
std::string viewPathBeside(const std::string &outputPath);
