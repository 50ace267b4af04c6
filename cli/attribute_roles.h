// Which point attributes the node works on, decided the way the node decides
// it, so `velkor info` can tell a user what a file will do before a cook.
//
// The node never looks at names. It walks the point attribute dictionary in
// order and gives each attribute the role the node's contract names
// (velkor::attributeRole, shared with the plug-in without linking it). The
// first input needs the three lists to be equally long (each position,
// direction and intensity at the same index form a triple, traced on its
// own); the collider needs a position and a direction and uses the first of
// each kind.
#pragma once

#include "contract/velkor_contract.h"

#include <GU/GU_Detail.h>

#include <string>
#include <vector>

using velkor::AttributeRole;
using velkor::attributeRole;

struct AttributeRoles
{
    std::vector<std::string> positions;  // attribute names, in dictionary order
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
