#include "cli/view_output.h"

#include <cstdio>

namespace
{

std::string number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

}  // namespace

ViewPanel cookPanel(const CookSummary &summary, const NodeParameters &parameters)
{
    ViewPanel panel;
    panel.title = summary.title;
    auto &rows = panel.rows;
    rows.emplace_back("input points", formatCount(summary.inputPoints));
    rows.emplace_back("collider prims", formatCount(summary.colliderPrimitives));
    if (summary.outputPoints >= summary.inputPoints)
        rows.emplace_back("points appended", formatCount(summary.outputPoints - summary.inputPoints));
    else if (summary.outputPoints >= 0)
        rows.emplace_back("output points", formatCount(summary.outputPoints));
    if (summary.raysTraced >= 0)
        rows.emplace_back("rays traced", formatCount(summary.raysTraced));
    rows.emplace_back("bounces", std::to_string(parameters.bounces));
    rows.emplace_back("scatter", number(parameters.scatter));
    rows.emplace_back("scatternum", std::to_string(parameters.scatterNum));
    rows.emplace_back("dissipation", number(parameters.dissipation));
    if (summary.cookSeconds >= 0.0)
        rows.emplace_back("cook", formatSeconds(summary.cookSeconds) + " (" + std::to_string(summary.threads) +
                                      (summary.threads == 1 ? " thread, " : " threads, ") + summary.search + ")");
    if (!summary.outputPath.empty())
        rows.emplace_back("output", summary.outputPath);
    for (const UT_ErrorRecord &m : summary.messages)
        panel.messages.emplace_back(UTgetSeverityLabel(m.severity), m.message);
    for (const std::string &w : summary.fileWarnings)
        panel.messages.emplace_back("Warning", w);
    return panel;
}

bool writeResultView(const std::string &path, const GU_Detail &result, const GU_Detail *collider,
                     const GU_Detail *input, PointsShown shown, const ViewPanel &panel, std::string &error,
                     int64_t pointLimit)
{
    ViewScene scene;
    std::string problem;
    if (!gatherViewScene(result, collider, input, shown, pointLimit, scene, problem))
    {
        error = path + ": " + problem;
        return false;
    }
    return writeViewPage(path, scene, panel, error);
}
