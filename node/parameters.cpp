// The node's parameters: the group field and four numbers.
//
// Order, tokens, labels and defaults are part of the node's interface:
// scenes saved by users refer to the tokens.
#include "node/sop_velkor.h"

#include <PRM/PRM_Shared.h>

namespace HDK_Sample {

namespace {

PRM_Name bouncesName("bounces", "Bounces");
PRM_Name scatterName("scatter", "Scatter");
PRM_Name scatterNumName("scatternum", "ScatterNum");
PRM_Name dissipationName("dissipation", "Dissipation");

// One default of 1 serves bounces, scatternum and dissipation.
PRM_Default oneDefault(1);
PRM_Default zeroDefault(0);

} // namespace

PRM_Template SOP_Velkor::myTemplateList[] = {
    PRM_Template(PRM_STRING, 1, &PRMgroupName, nullptr, &SOP_Node::pointGroupMenu, nullptr, nullptr,
                 SOP_Node::getGroupSelectButton(0, nullptr, 0, nullptr, nullptr)),
    PRM_Template(PRM_INT, 1, &bouncesName, &oneDefault),
    PRM_Template(PRM_FLT, 1, &scatterName, &zeroDefault),
    PRM_Template(PRM_INT, 1, &scatterNumName, &oneDefault),
    PRM_Template(PRM_FLT, 1, &dissipationName, &oneDefault),
    PRM_Template(),
};

} // namespace HDK_Sample
