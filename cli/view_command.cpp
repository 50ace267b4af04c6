#include "cli/view_command.h"

#include "cli/cook_session.h"
#include "cli/exit_status.h"
#include "cli/summary.h"
#include "cli/view_output.h"

#include "io/geometry_file.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <optional>

namespace {

// Reads an optional file; false after printing why it failed.
bool readOptional(const std::string &path, std::optional<GU_Detail> &gdp, std::vector<std::string> &warnings)
{
    if (path.empty())
        return true;
    gdp.emplace();
    const GeometryReadResult read = readGeometryFile(path, *gdp);
    if (!read)
        fail(kExitUsage, read.message);
    warnings.insert(warnings.end(), read.warnings.begin(), read.warnings.end());
    return read.ok;
}

std::string checkPoints(const std::string &text)
{
    PointsShown shown = PointsShown::All;
    std::string error;
    return parsePointsShown(text, shown, error) ? std::string() : error;
}

} // namespace

CLI::App *addViewCommand(CLI::App &app, ViewCommandArgs &args)
{
    CLI::App *view = app.add_subcommand("view", "Write a 3D view of a result (one HTML file for any browser)");
    view->add_option("RESULT", args.resultPath, "Points to show, coloured by intensity (.geo)")->required();
    view->add_option("COLLIDER", args.colliderPath, "Collider to show (.geo or .obj)");
    view->add_option("--input", args.inputPath, "The cook's input: its points are marked as input points");
    view->add_option("-o,--output", args.outputPath, "Page to write (.html)")->required();
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
    if (!checkOutputPath(args.outputPath, error))
        return fail(kExitUsage, error);
    PointsShown shown = PointsShown::All;
    parsePointsShown(args.pointsText, shown, error);

    std::optional<GU_Detail> result, collider, input;
    ViewPanel panel;
    panel.title = "velkor view: " + args.resultPath;
    std::vector<std::string> warnings;
    if (!readOptional(args.resultPath, result, warnings) || !readOptional(args.colliderPath, collider, warnings) ||
        !readOptional(args.inputPath, input, warnings))
        return kExitUsage;

    panel.rows.emplace_back("points", formatCount(result->getNumPoints()));
    if (input)
        panel.rows.emplace_back("input points", formatCount(input->getNumPoints()));
    if (collider)
        panel.rows.emplace_back("collider prims", formatCount(collider->getNumPrimitives()));
    for (const std::string &w : warnings)
        panel.messages.emplace_back("Warning", w);
    if (!writeResultView(args.outputPath, *result, collider ? &*collider : nullptr, input ? &*input : nullptr, shown,
                         panel, error, args.maxPoints))
        return fail(kExitUsage, error);
    if (!args.quiet)
    {
        std::cout << args.outputPath << ": view of " << formatCount(result->getNumPoints()) << " points";
        if (collider)
            std::cout << " and " << formatCount(collider->getNumPrimitives()) << " collider prims";
        std::cout << '\n';
        for (const std::string &w : warnings)
            std::cout << "  Warning: " << w << '\n';
    }
    return kExitSuccess;
}
