#include <PRM/PRM_Shared.h>

// Constant-initialised, so a plug-in's static template list may take its
// address during the plug-in's own static initialisation.
PRM_Name PRMgroupName("group", "Group");
