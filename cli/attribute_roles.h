// Which point attributes the node works on, decided the way the node decides
// it, so `velkor info` can tell a user what a file will do before a cook.
//
// The node never looks at names. It walks the point attribute dictionary in
// order and takes every numeric attribute of at least three components by
// its type-information code: 0 or 1 as a position, 3 as a direction, 4 as
// an intensity. The first input needs the three lists to be equally long
// (each position, direction and intensity at the same index form a triple,
// traced on its own); the collider needs a position and a direction and uses
// the first of each kind. The rule is restated here because the command line
// must not link the node's code; it is a handful of lines.
#pragma once

#include <GU/GU_Detail.h>

#include <string>
#include <vector>

enum class AttributeRole
{
    None,
    Position,
    Direction,
    Intensity
};

// The role the node gives one attribute.
AttributeRole attributeRole(const GA_Attribute &attribute);

struct AttributeRoles
{
    std::vector<std::string> positions; // attribute names, in dictionary order
    std::vector<std::string> directions;
    std::vector<std::string> intensities;

    // As the first input: the three lists have equal lengths (the node
    // copies the input untouched otherwise). Equal lengths of zero line up
    // but trace nothing.
    bool linedUp() const;
    // As the collider: at least one position and one direction.
    bool usableAsCollider() const;
};

AttributeRoles gatherAttributeRoles(const GU_Detail &gdp);

const char *roleName(AttributeRole role);
