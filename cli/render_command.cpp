#include "cli/render_command.h"

#include "cli/cook_session.h"
#include "cli/exit_status.h"
#include "cli/view_output.h"

#include "render/preview.h"

#include <CLI/CLI.hpp>

#include <iostream>

CLI::App *addRenderCommand(CLI::App &app, RenderCommandArgs &args)
{
    CLI::App *render = app.add_subcommand("render", "Draw a geometry file (and its collider) into a PNG picture");
    addResultFileOptions(*render, args.files,
                         {"GEO", "Points to draw, coloured by intensity (.geo)", "--collider",
                          "Collider to draw as shaded triangles (.geo or .obj)",
                          "The cook's input: its points are marked as originals", "Picture to write (.png)"});
    addPreviewLookOptions(*render, args.look);
    render->add_flag("-q,--quiet", args.quiet, "Print nothing but errors");
    return render;
}

int runRenderCommand(const RenderCommandArgs &args)
{
    std::string error;
    const std::string pagePath = args.look.pagePath();
    if (!checkOutputPath(args.files.output, error) || (!pagePath.empty() && !checkOutputPath(pagePath, error)))
        return fail(kExitUsage, error);
    const PreviewOptions options = args.look.previewOptions();

    // The picture and the page say nothing of what reading noticed.
    ResultFiles files;
    if (!readResultFiles(args.files, files))
        return kExitUsage;
    const GU_Detail *collider = files.collider.get();
    const GU_Detail *input = files.input ? &*files.input : nullptr;

    const PreviewResult picture = writePreviewPng(args.files.output, files.result, collider, input, options);
    if (!picture.ok)
        return fail(kExitUsage, args.files.output + ": " + picture.message);
    if (!args.quiet)
        std::cout << args.files.output << ": " << picture.message << '\n';
    if (pagePath.empty())
        return kExitSuccess;
    ViewPanel panel;
    panel.title = "velkor render: " + args.files.result;
    addResultFileRows(files, panel);
    if (!writeResultView(pagePath, files.result, collider, input, options.points, panel, error))
        return fail(kExitUsage, error);
    if (!args.quiet)
        std::cout << pagePath << ": view page written\n";
    return kExitSuccess;
}
