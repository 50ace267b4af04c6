// velkor: runs the Velkor node outside the host application.
//
// The node's plug-in is loaded at run time through the host layer, exactly
// as the host loads it; this program only parses the command line and hands
// each command to its own file.
#include "cli/cook_command.h"
#include "cli/cook_session.h"
#include "cli/demo_command.h"
#include "cli/exit_status.h"
#include "cli/info_command.h"
#include "cli/platform.h"
#include "cli/render_command.h"
#include "cli/view_command.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <string>
#include <vector>

int main(int argc, char **argv)
{
    CLI::App app{"velkor: traces rays from points against a triangle mesh and appends the hits, using the "
                 "Velkor node plug-in.",
                 "velkor"};
    app.set_version_flag("--version", "velkor 0.1.0");
    app.require_subcommand(1);
    // CLI11 takes "/name" for an option on Windows; here every option is
    // spelled with dashes, and "/data/points.geo" is a file.
    app.allow_windows_style_options(false);
    app.footer(exitStatusHelp());
    app.failure_message([](const CLI::App *, const CLI::Error &e) {
        return "velkor: " + std::string(e.what()) + "\nRun with --help for more information.\n";
    });

    CookCommandArgs cookArgs;
    DemoCommandArgs demoArgs;
    InfoCommandArgs infoArgs;
    RenderCommandArgs renderArgs;
    ViewCommandArgs viewArgs;
    CLI::App *cook = addCookCommand(app, cookArgs);
    CLI::App *demo = addDemoCommand(app, demoArgs);
    CLI::App *info = addInfoCommand(app, infoArgs);
    CLI::App *render = addRenderCommand(app, renderArgs);
    CLI::App *view = addViewCommand(app, viewArgs);

    try
    {
        // CLI11 takes a vector of arguments last first.
        std::vector<std::string> args = commandLineArguments(argc, argv);
        std::reverse(args.begin(), args.end());
        app.parse(args);
    }
    catch (const CLI::ParseError &e)
    {
        // Help and version print and end with 0; every other parse error is
        // a bad command line.
        const int status = app.exit(e);
        return status == 0 ? kExitSuccess : kExitUsage;
    }

    routeInterruptToHost();
    if (cook->parsed())
        return runCookCommand(cookArgs);
    if (demo->parsed())
        return runDemoCommand(demoArgs);
    if (info->parsed())
        return runInfoCommand(infoArgs);
    if (render->parsed())
        return runRenderCommand(renderArgs);
    if (view->parsed())
        return runViewCommand(viewArgs);
    return kExitUsage;
}
