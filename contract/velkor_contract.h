// The node's contract: every name and value that the plug-in and a program
// driving it must spell alike.
//
// A host loads the plug-in at run time and never links its code, so facts
// both sides rely on (the node type, parameter tokens and defaults, the
// statistics the node publishes while it cooks, the type-information codes
// that give attributes their roles, and the environment variables the node
// reads with their words) are published here once, in a header both
// include. Changing a value here changes it for both sides at once; scenes
// saved by users refer to the tokens, so they stay as they are.
#pragma once

#include <GA/GA_ATINumeric.h>
#include <GA/GA_Attribute.h>
#include <GA/GA_Types.h>

#include <cstdint>

namespace velkor
{

// The node type and how the operator table shows it.
constexpr char kNodeType[] = "hdk_velkor";
constexpr char kNodeLabel[] = "Velkor";

// Parameter tokens, labels and defaults, in the node's parameter order
// (the group field before them uses the host's shared "group" name).
constexpr char kParmBounces[] = "bounces";
constexpr char kParmScatter[] = "scatter";
constexpr char kParmScatterNum[] = "scatternum";
constexpr char kParmDissipation[] = "dissipation";
constexpr char kLabelBounces[] = "Bounces";
constexpr char kLabelScatter[] = "Scatter";
constexpr char kLabelScatterNum[] = "ScatterNum";
constexpr char kLabelDissipation[] = "Dissipation";
constexpr int64_t kDefaultBounces = 1;
constexpr double kDefaultScatter = 0.0;
constexpr int64_t kDefaultScatterNum = 1;
constexpr double kDefaultDissipation = 1.0;

// Statistics the node publishes while it cooks and after: input points
// finished, rays traced, and the time spent preparing the collider.
constexpr char kStatPointsTraced[] = "points traced";
constexpr char kStatRaysTraced[] = "rays traced";
constexpr char kStatColliderBuildMicroseconds[] = "collider build microseconds";

// Environment variables the node reads when it cooks. VELKOR_SEARCH takes
// one of the two search words; anything else means accelerated.
// VELKOR_POINT_LIMIT lowers the output's point limit; VELKOR_TRACE_AHEAD=1
// chooses the trace-ahead walk over the default hand-off walk.
constexpr char kEnvSearch[] = "VELKOR_SEARCH";
constexpr char kEnvPointLimit[] = "VELKOR_POINT_LIMIT";
constexpr char kEnvTraceAhead[] = "VELKOR_TRACE_AHEAD";
constexpr char kSearchAccelerated[] = "accelerated";
constexpr char kSearchExhaustive[] = "exhaustive";

// What the node makes of a point attribute.
enum class AttributeRole
{
    None,
    Position,
    Direction,
    Intensity
};

// The role a type-information code gives a numeric point attribute of at
// least three components.
constexpr AttributeRole roleOfTypeInfo(int32_t typeInfo)
{
    switch (typeInfo)
    {
    case GA_TYPE_VOID:
    case GA_TYPE_POINT:
        return AttributeRole::Position;
    case GA_TYPE_VECTOR:
        return AttributeRole::Direction;
    case GA_TYPE_NORMAL:
        return AttributeRole::Intensity;
    default:
        return AttributeRole::None;
    }
}

// The role of one point attribute: none unless it is numeric with at least
// three components, else that of its type-information code. The node never
// looks at names.
inline AttributeRole attributeRole(const GA_Attribute &attribute)
{
    if (&attribute.getType() != &GA_ATINumeric::theAttributeType || attribute.getTupleSize() < 3)
        return AttributeRole::None;
    return roleOfTypeInfo(attribute.getTypeInfo());
}

}  // namespace velkor
