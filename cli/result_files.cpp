#include "cli/result_files.h"

#include "cli/exit_status.h"
#include "cli/summary.h"

#include "io/geometry_file.h"

#include <CLI/CLI.hpp>

namespace
{

// Reads one file into gdp; false after printing why it failed.
bool readFile(const std::string &path, GU_Detail &gdp, std::vector<std::string> &warnings)
{
    const GeometryReadResult read = readGeometryFile(path, gdp);
    if (!read)
        fail(kExitUsage, read.message);
    warnings.insert(warnings.end(), read.warnings.begin(), read.warnings.end());
    return read.ok;
}

bool readOptionalFile(const std::string &path, std::optional<GU_Detail> &gdp, std::vector<std::string> &warnings)
{
    if (path.empty())
        return true;
    gdp.emplace();
    return readFile(path, *gdp, warnings);
}

// Reads the collider and cuts its faces as the cook would. Its directions are
// left alone: a drawing does not use them.
bool readCollider(const ResultFilePaths &paths, std::shared_ptr<GU_Detail> &collider,
                  std::vector<std::string> &warnings)
{
    if (paths.collider.empty())
        return true;
    collider = std::make_shared<GU_Detail>();
    if (!readFile(paths.collider, *collider, warnings))
        return false;
    ColliderPlan plan = planColliderPreparation(*collider, paths.collider, paths.colliderOptions);
    plan.computeDirections = false;
    const ColliderPreparation prepared = prepareCollider(collider, plan);
    warnings.insert(warnings.end(), prepared.warnings.begin(), prepared.warnings.end());
    return true;
}

}  // namespace

void addResultFileOptions(CLI::App &command, ResultFilePaths &paths, const ResultFileHelp &help)
{
    command.add_option(help.resultName, paths.result, help.resultHelp)->required();
    command.add_option(help.colliderName, paths.collider, help.colliderHelp);
    command.add_option("--input", paths.input, help.inputHelp);
    command.add_option("-o,--output", paths.output, help.outputHelp)->required();
    addColliderShapeOptions(command, paths.colliderOptions);
}

bool readResultFiles(const ResultFilePaths &paths, ResultFiles &files)
{
    return readFile(paths.result, files.result, files.warnings) &&
           readCollider(paths, files.collider, files.warnings) &&
           readOptionalFile(paths.input, files.input, files.warnings);
}

void addResultFileRows(const ResultFiles &files, ViewPanel &panel)
{
    panel.rows.emplace_back("points", formatCount(files.result.getNumPoints()));
    if (files.input)
        panel.rows.emplace_back("input points", formatCount(files.input->getNumPoints()));
    if (files.collider)
        panel.rows.emplace_back("collider prims", formatCount(files.collider->getNumPrimitives()));
}
