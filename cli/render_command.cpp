#include "cli/render_command.h"

#include "cli/cook_options.h"
#include "cli/cook_session.h"
#include "cli/exit_status.h"
#include "cli/summary.h"
#include "cli/view_output.h"

#include "io/geometry_file.h"
#include "render/preview.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <optional>

namespace {

// Reads an optional file; false after printing why it failed.
bool readOptional(const std::string &path, std::optional<GU_Detail> &gdp)
{
    if (path.empty())
        return true;
    gdp.emplace();
    const GeometryReadResult read = readGeometryFile(path, *gdp);
    if (!read)
        fail(kExitUsage, read.message);
    return read.ok;
}

} // namespace

CLI::App *addRenderCommand(CLI::App &app, RenderCommandArgs &args)
{
    CLI::App *render = app.add_subcommand("render", "Draw a geometry file (and its collider) into a PNG picture");
    render->add_option("GEO", args.geometryPath, "Points to draw, coloured by intensity (.geo)")->required();
    render->add_option("--collider", args.colliderPath, "Collider to draw as shaded triangles (.geo or .obj)");
    render->add_option("--input", args.inputPath, "The cook's input: its points are marked as originals");
    render->add_option("-o,--output", args.outputPath, "Picture to write (.png)")->required();
    addPreviewLookOptions(*render, args.look);
    render->add_flag("-q,--quiet", args.quiet, "Print nothing but errors");
    return render;
}

int runRenderCommand(const RenderCommandArgs &args)
{
    std::string error;
    const std::string pagePath = args.look.pagePath();
    if (!checkOutputPath(args.outputPath, error) || (!pagePath.empty() && !checkOutputPath(pagePath, error)))
        return fail(kExitUsage, error);
    const PreviewOptions options = args.look.previewOptions();

    GU_Detail points;
    const GeometryReadResult read = readGeometryFile(args.geometryPath, points);
    if (!read)
        return fail(kExitUsage, read.message);
    std::optional<GU_Detail> collider, input;
    if (!readOptional(args.colliderPath, collider) || !readOptional(args.inputPath, input))
        return kExitUsage;

    const PreviewResult picture = writePreviewPng(args.outputPath, points, collider ? &*collider : nullptr,
                                                  input ? &*input : nullptr, options);
    if (!picture.ok)
        return fail(kExitUsage, args.outputPath + ": " + picture.message);
    if (!args.quiet)
        std::cout << args.outputPath << ": " << picture.message << '\n';
    if (pagePath.empty())
        return kExitSuccess;
    ViewPanel panel;
    panel.title = "velkor render: " + args.geometryPath;
    panel.rows.emplace_back("points", formatCount(points.getNumPoints()));
    if (input)
        panel.rows.emplace_back("input points", formatCount(input->getNumPoints()));
    if (collider)
        panel.rows.emplace_back("collider prims", formatCount(collider->getNumPrimitives()));
    if (!writeResultView(pagePath, points, collider ? &*collider : nullptr, input ? &*input : nullptr, options.points,
                         panel, error))
        return fail(kExitUsage, error);
    if (!args.quiet)
        std::cout << pagePath << ": view page written\n";
    return kExitSuccess;
}
