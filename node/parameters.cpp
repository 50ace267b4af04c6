// The node's parameters: the group field and four numbers.
//
// Order, tokens, labels and defaults are part of the node's interface:
// scenes saved by users refer to the tokens, published in the contract.
#include "node/sop_velkor.h"

#include "contract/velkor_contract.h"

#include <PRM/PRM_Shared.h>

namespace HDK_Sample
{

namespace
{

PRM_Name bouncesName(velkor::kParmBounces, velkor::kLabelBounces);
PRM_Name scatterName(velkor::kParmScatter, velkor::kLabelScatter);
PRM_Name scatterNumName(velkor::kParmScatterNum, velkor::kLabelScatterNum);
PRM_Name dissipationName(velkor::kParmDissipation, velkor::kLabelDissipation);

// One default object of 1 serves bounces, scatternum and dissipation.
static_assert(velkor::kDefaultBounces == 1 && velkor::kDefaultScatterNum == 1 && velkor::kDefaultDissipation == 1.0,
              "bounces, scatternum and dissipation share one default of 1");
static_assert(velkor::kDefaultScatter == 0.0, "scatter's default is the shared zero");
PRM_Default oneDefault(1);
PRM_Default zeroDefault(0);

}  // namespace

PRM_Template SOP_Velkor::myTemplateList[] = {
    PRM_Template(PRM_STRING, 1, &PRMgroupName, nullptr, &SOP_Node::pointGroupMenu, nullptr, nullptr,
                 SOP_Node::getGroupSelectButton(0, nullptr, 0, nullptr, nullptr)),
    PRM_Template(PRM_INT, 1, &bouncesName, &oneDefault),
    PRM_Template(PRM_FLT, 1, &scatterName, &zeroDefault),
    PRM_Template(PRM_INT, 1, &scatterNumName, &oneDefault),
    PRM_Template(PRM_FLT, 1, &dissipationName, &oneDefault),
    PRM_Template(),
};

}  // namespace HDK_Sample
