#include "cli/view_command.h"

#include "cli/cook_session.h"
#include "cli/exit_status.h"
#include "cli/summary.h"
#include "cli/view_output.h"

#include <CLI/CLI.hpp>

#include <iostream>

namespace
{

std::string checkPoints(const std::string &text)
{
    PointsShown shown = PointsShown::All;
    std::string error;
    return parsePointsShown(text, shown, error) ? std::string() : error;
}

}  // namespace

CLI::App *addViewCommand(CLI::App &app, ViewCommandArgs &args)
{
    CLI::App *view = app.add_subcommand("view", "Write a 3D view of a result (one HTML file for any browser)");
    addResultFileOptions(*view, args.files,
                         {"RESULT", "Points to show, coloured by intensity (.geo)", "COLLIDER",
                          "Collider to show (.geo or .obj)", "The cook's input: its points are marked as input points",
                          "Page to write (.html)"});
    view->add_option("--points", args.pointsText, "Points shown at first: new, input or all")
        ->check(checkPoints, "new|input|all")
        ->capture_default_str();
    view->add_option("--max-points", args.maxPoints,
                     "Most points the page carries; above it every k-th point is kept (the page says so)")
        ->check(CLI::Range(int64_t(1), int64_t(100000000)))
        ->capture_default_str();
    view->add_flag("-q,--quiet", args.quiet, "Print nothing but errors");
    return view;
}

int runViewCommand(const ViewCommandArgs &args)
{
    std::string error;
    if (!checkOutputPath(args.files.output, error))
        return fail(kExitUsage, error);
    PointsShown shown = PointsShown::All;
    parsePointsShown(args.pointsText, shown, error);

    ResultFiles files;
    if (!readResultFiles(args.files, files))
        return kExitUsage;
    ViewPanel panel;
    panel.title = "velkor view: " + args.files.result;
    addResultFileRows(files, panel);
    for (const std::string &w : files.warnings)
        panel.messages.emplace_back("Warning", w);
    const GU_Detail *collider = files.collider.get();
    if (!writeResultView(args.files.output, files.result, collider, files.input ? &*files.input : nullptr, shown, panel,
                         error, args.maxPoints))
        return fail(kExitUsage, error);
    if (!args.quiet)
    {
        std::cout << args.files.output << ": view of " << formatCount(files.result.getNumPoints()) << " points";
        if (collider)
            std::cout << " and " << formatCount(collider->getNumPrimitives()) << " collider prims";
        std::cout << '\n';
        for (const std::string &w : files.warnings)
            std::cout << "  Warning: " << w << '\n';
    }
    return kExitSuccess;
}
