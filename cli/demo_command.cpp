#include "cli/demo_command.h"

#include "cli/cook_session.h"
#include "cli/exit_status.h"

#include "io/geo/geo_writer.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <iostream>

namespace
{

// Writes the scene's two inputs, so the same cook can be repeated with
// `velkor cook` and other parameters.
int saveScene(const DemoScene &scene, const std::string &folder, bool quiet)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::create_directories(fs::u8path(folder), ec);
    if (ec)
        return fail(kExitUsage, folder + ": cannot create the folder: " + ec.message());
    const std::string points = (fs::u8path(folder) / "demo_points.geo").u8string();
    const std::string room = (fs::u8path(folder) / "demo_room.geo").u8string();
    for (const auto &[path, gdp] : {std::pair{points, scene.points.get()}, std::pair{room, scene.collider.get()}})
    {
        const IoResult written = writeGeoFile(path, *gdp);
        if (!written)
            return fail(kExitUsage, written.message);
    }
    if (!quiet)
        std::cout << "scene written: " << points << ", " << room << '\n';
    return kExitSuccess;
}

}  // namespace

std::string previewPathBeside(const std::string &outputPath)
{
    return std::filesystem::u8path(outputPath).replace_extension(".png").u8string();
}

std::string viewPathBeside(const std::string &outputPath)
{
    return std::filesystem::u8path(outputPath).replace_extension(".html").u8string();
}

CLI::App *addDemoCommand(CLI::App &app, DemoCommandArgs &args)
{
    CLI::App *demo =
        app.add_subcommand("demo", "Cook the built-in scene (a room, a block, a lamp of emitters) and draw the result");
    demo->add_option("-o,--output", args.outputPath,
                     "Output geometry; the picture and the view page go beside it as .png and .html")
        ->capture_default_str();
    CLI::Option *sceneOut = demo->add_option("--scene-out", args.sceneFolder,
                                             "Also save the scene's inputs here (demo_points.geo, demo_room.geo)")
                                ->group("Scene");
    demo->add_flag("--scene-only", args.sceneOnly, "Save the scene's inputs and stop without cooking")
        ->needs(sceneOut)
        ->group("Scene");
    demo->add_option("--room-quads", args.size.quadsPerSide, "Quads along each side of a wall (2 triangles each)")
        ->check(CLI::Range(1, 2048))
        ->capture_default_str()
        ->group("Scene");
    demo->add_option("--emitters", args.size.emitters, "Emitter points of the lamp")
        ->check(CLI::Range(int64_t(1), int64_t(100000000)))
        ->capture_default_str()
        ->group("Scene");
    args.options.parameters = demoParameters();
    addCookOptions(*demo, args.options, false);
    return demo;
}

int runDemoCommand(const DemoCommandArgs &args)
{
    if (args.sceneOnly)
        return saveScene(makeDemoScene(args.size), args.sceneFolder, args.options.quiet);

    CookTargets targets;
    targets.outputPath = args.outputPath;
    targets.previewPath = previewPathBeside(args.outputPath);
    targets.viewPath = args.options.look.pagePath();
    if (targets.viewPath.empty())
        targets.viewPath = viewPathBeside(args.outputPath);
    std::string error;
    if (!checkOutputPath(targets.outputPath, error) || !checkOutputPath(targets.previewPath, error) ||
        !checkOutputPath(targets.viewPath, error))
        return fail(kExitUsage, error);

    VelkorNetwork network;
    if (const int status = buildNetwork(network, args.options))
        return status;

    const DemoScene scene = makeDemoScene(args.size);
    if (!args.sceneFolder.empty())
        if (const int status = saveScene(scene, args.sceneFolder, args.options.quiet))
            return status;

    CookInputs inputs;
    inputs.points = scene.points;
    inputs.collider = scene.collider;
    targets.title = "velkor demo: the built-in room, " + std::to_string(args.size.emitters) + " emitters";
    return runCook(network, inputs, args.options, targets);
}
