#include "cli/cook_command.h"

#include "cli/cook_session.h"
#include "cli/exit_status.h"

#include "io/geometry_file.h"

#include <CLI/CLI.hpp>

#include <cctype>
#include <chrono>
#include <filesystem>

namespace
{

bool hasGeoExtension(const std::string &path)
{
    std::string ext = std::filesystem::u8path(path).extension().u8string();
    for (char &c : ext)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".geo";
}

// Reads one input; false after printing why (the message names the file).
bool readInput(const std::string &path, GU_Detail &gdp, CookInputs &inputs, GeometryReadInfo *info)
{
    const GeometryReadResult read = readGeometryFile(path, gdp);
    if (!read)
    {
        fail(kExitUsage, read.message);
        return false;
    }
    inputs.fileWarnings.insert(inputs.fileWarnings.end(), read.warnings.begin(), read.warnings.end());
    if (info)
        *info = read.info;
    return true;
}

}  // namespace

CLI::App *addCookCommand(CLI::App &app, CookCommandArgs &args)
{
    CLI::App *cook = app.add_subcommand("cook", "Trace the points of one file against the collider of another");
    cook->add_option("POINTS", args.pointsPath, "Points to trace (.geo)")->required();
    cook->add_option("COLLIDER", args.colliderPath, "Collider mesh (.geo or .obj)")->required();
    cook->add_option("-o,--output", args.outputPath, "Output geometry (.geo)")->required();
    addCookOptions(*cook, args.options, true);
    addColliderOptions(*cook, args.collider);
    return cook;
}

int runCookCommand(const CookCommandArgs &args)
{
    std::string error;
    if (!hasGeoExtension(args.pointsPath))
        return fail(kExitUsage, args.pointsPath + ": the points must be a .geo file");
    if (!checkOutputPath(args.outputPath, error) ||
        (!args.options.previewPath.empty() && !checkOutputPath(args.options.previewPath, error)) ||
        (!args.options.look.pagePath().empty() && !checkOutputPath(args.options.look.pagePath(), error)))
        return fail(kExitUsage, error);

    VelkorNetwork network;
    if (const int status = buildNetwork(network, args.options))
        return status;

    CookInputs inputs;
    inputs.points = std::make_shared<GU_Detail>();
    inputs.collider = std::make_shared<GU_Detail>();
    const auto start = std::chrono::steady_clock::now();
    GeometryReadInfo pointsInfo;
    if (!readInput(args.pointsPath, *inputs.points, inputs, &pointsInfo) ||
        !readInput(args.colliderPath, *inputs.collider, inputs, nullptr))
        return kExitUsage;
    const ColliderPlan plan = planColliderPreparation(*inputs.collider, args.colliderPath, args.collider);
    const ColliderPreparation prepared = prepareCollider(inputs.collider, plan);
    inputs.colliderNotes = prepared.notes;
    inputs.fileWarnings.insert(inputs.fileWarnings.end(), prepared.warnings.begin(), prepared.warnings.end());
    inputs.readSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    inputs.typeTokens = pointsInfo.typeTokens;

    CookTargets targets;
    targets.title = "velkor cook: " + args.pointsPath + " against " + args.colliderPath;
    targets.outputPath = args.outputPath;
    targets.previewPath = args.options.previewPath;
    targets.viewPath = args.options.look.pagePath();
    return runCook(network, inputs, args.options, targets);
}
