// Parameter names the host shares between node types.
//
// Node types that take a group field use PRMgroupName rather than their own
// name, so every such field carries the same token ("group") and label
// ("Group") and host tools can find it.
#pragma once

#include <PRM/PRM_Name.h>
#include <UT/UT_API.h>

UT_API extern PRM_Name PRMgroupName;
