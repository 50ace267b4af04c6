#include "cli/cook_options.h"

#include <CLI/CLI.hpp>

void addCookOptions(CLI::App &command, CookOptions &options, bool withPreviewPath)
{
    NodeParameters &p = options.parameters;
    command.add_option("--bounces", p.bounces, "Generations traced from each point (the node warns below 1)")
        ->capture_default_str()
        ->group("Node parameters");
    command.add_option("--scatter", p.scatter, "Scatter cap size in degrees (0: mirror-like, 180: hemisphere)")
        ->capture_default_str()
        ->group("Node parameters");
    command.add_option("--scatternum", p.scatterNum, "Base count of scattered rays per hit")
        ->capture_default_str()
        ->group("Node parameters");
    command.add_option("--dissipation", p.dissipation, "Factor on the scattered-ray count per generation")
        ->capture_default_str()
        ->group("Node parameters");

    command.add_option("--threads", options.threads, "Threads to trace with (default: all of the machine)")
        ->check(CLI::Range(1, 4096))
        ->group("Tracing");
    command
        .add_option("--search", options.search,
                    "Nearest-hit search: accelerated (default) or exhaustive (the reference; same result)")
        ->check(CLI::IsMember({velkor::kSearchAccelerated, velkor::kSearchExhaustive}))
        ->group("Tracing");
    command
        .add_option(
            "--plugin", options.pluginOption,
            "Plug-in library to load (default: VELKOR_PLUGIN_PATH, else beside the program, else the installed plug-in folder)")
        ->group("Tracing");

    if (withPreviewPath)
        command.add_option("--preview", options.previewPath, "Also draw the result into this PNG file")
            ->group("Preview");
    addPreviewLookOptions(command, options.look);

    command.add_flag("-q,--quiet", options.quiet, "Print nothing but errors");
}
