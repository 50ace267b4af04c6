#include "cli/collider_preparation.h"

#include "cli/attribute_roles.h"
#include "cli/summary.h"

#include "prep/collider_triangulation.h"
#include "prep/face_directions.h"

#include <CLI/CLI.hpp>

#include <cctype>
#include <filesystem>

namespace
{

bool isObjPath(const std::string &path)
{
    std::string ext = std::filesystem::u8path(path).extension().u8string();
    for (char &c : ext)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".obj";
}

// "N", or when the name is taken by an attribute the node does not take as
// a direction, a name that is free.
std::string freeDirectionName(const GU_Detail &gdp)
{
    std::string name = "N";
    for (int k = 1; gdp.findPointAttribute(name); ++k)
        name = "N_faces" + (k > 1 ? std::to_string(k) : std::string());
    return name;
}

const GA_ATINumeric &positionAttribute(const GU_Detail &gdp, const ColliderPlan &plan)
{
    return *static_cast<const GA_ATINumeric *>(gdp.findPointAttribute(plan.positionName));
}

std::string plural(int64_t count, const char *one, const char *many)
{
    return formatCount(count) + " " + (count == 1 ? one : many);
}

}  // namespace

void addColliderShapeOptions(CLI::App &command, ColliderOptions &options)
{
    CLI::Option *cut = command.add_flag("--triangulate", options.triangulate,
                                        "Cut the collider's polygons of more than three corners into triangles "
                                        "(always done for .obj files)");
    cut->group("Collider");
    command
        .add_flag("--keep-polygons", options.keepPolygons,
                  "Hand an .obj collider's faces to the node as they are (it uses the first three corners of each)")
        ->excludes(cut)
        ->group("Collider");
}

void addColliderOptions(CLI::App &command, ColliderOptions &options)
{
    addColliderShapeOptions(command, options);
    command
        .add_option("--collider-directions", options.directions,
                    "When the collider has no direction attribute: faces computes one from the faces' winding "
                    "(default for .obj), keep leaves it without (default for .geo)")
        ->check(CLI::IsMember({"keep", "faces"}))
        ->group("Collider");
}

ColliderPlan planColliderPreparation(const GU_Detail &collider, const std::string &path, const ColliderOptions &options)
{
    ColliderPlan plan;
    plan.path = path;
    const bool obj = isObjPath(path);
    const AttributeRoles roles = gatherAttributeRoles(collider);
    if (!roles.positions.empty())
        plan.positionName = roles.positions.front();
    plan.polygons = countPolygonsToTriangulate(collider);
    // Without a position there are no corners to work from; the node then
    // reports the collider as it is.
    const bool canWork = !plan.positionName.empty();
    plan.cut = canWork && plan.polygons > 0 && (obj ? !options.keepPolygons : options.triangulate);
    const std::string directions = options.directions.empty() ? (obj ? "faces" : "keep") : options.directions;
    plan.computeDirections =
        canWork && roles.directions.empty() && directions == "faces" && collider.getNumPrimitives() > 0;
    if (plan.computeDirections)
        plan.directionName = freeDirectionName(collider);
    return plan;
}

std::vector<std::string> describeColliderPlan(const ColliderPlan &plan)
{
    std::vector<std::string> lines;
    if (plan.computeDirections)
        lines.push_back("give it the direction " + plan.directionName +
                        ", computed from the faces' winding (--collider-directions keep leaves it without)");
    if (plan.cut)
        lines.push_back("cut " + plural(plan.polygons, "polygon", "polygons") +
                        " of more than three corners into triangles" +
                        (isObjPath(plan.path) ? " (--keep-polygons to keep them)" : ""));
    else if (plan.polygons > 0 && !plan.positionName.empty())
        lines.push_back("keep " + plural(plan.polygons, "polygon", "polygons") +
                        " of more than three corners, of which the node uses the first three" +
                        (isObjPath(plan.path) ? " (--keep-polygons is on)" : " (--triangulate to cut them)"));
    return lines;
}

ColliderPreparation prepareCollider(std::shared_ptr<GU_Detail> &collider, const ColliderPlan &plan)
{
    ColliderPreparation done;
    const std::string &path = plan.path;
    if (plan.computeDirections)
    {
        const FaceDirectionCount count =
            addFaceDirections(*collider, positionAttribute(*collider, plan), plan.directionName);
        if (count.attribute)
        {
            done.notes.push_back(path + ": direction " + plan.directionName + " computed from the faces for " +
                                 plural(count.pointsWithDirection, "point", "points"));
            const int64_t without = count.pointsWithoutFace + count.pointsCancelled;
            if (without > 0)
                done.warnings.push_back(path + ": " + plural(without, "point has", "points have") +
                                        " no face direction (no face uses them, or their faces cancel out); "
                                        "their direction is (0, 0, 0)");
        }
        else
            done.warnings.push_back(path + ": no direction could be computed from the faces");
    }
    if (plan.cut)
    {
        auto cut = std::make_shared<GU_Detail>();
        const TriangulationCount count = triangulatePolygons(*collider, positionAttribute(*collider, plan), *cut);
        collider = std::move(cut);
        done.notes.push_back(path + ": " + plural(count.polygons, "polygon", "polygons") + " cut into " +
                             plural(count.triangles, "triangle", "triangles"));
        if (count.empty > 0)
            done.warnings.push_back(path + ": " + plural(count.empty, "polygon has", "polygons have") +
                                    " no area and became no triangles");
    }
    else if (plan.polygons > 0 && !plan.positionName.empty())
        done.warnings.push_back(
            path + ": " + plural(plan.polygons, "polygon has", "polygons have") +
            " more than three corners; the node uses only the first three of each" +
            (isObjPath(path) ? " (--keep-polygons is on)" : " (--triangulate cuts them into triangles)"));
    return done;
}
