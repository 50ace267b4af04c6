#include "cli/network.h"

#include "contract/velkor_contract.h"

#include <OP/OP_Context.h>
#include <OP/OP_Network.h>
#include <SOP/SOP_Node.h>
#include <SOP/SOP_Source.h>

#include <chrono>

VelkorNetwork::VelkorNetwork() = default;

VelkorNetwork::~VelkorNetwork()
{
    // The nodes go before the library whose code they run.
    myNetwork.reset();
    myPlugin.reset();
}

bool VelkorNetwork::build(const std::string &pluginPath, std::string &error)
{
    std::string loadError;
    myPlugin = myTable.loadSopPlugin(pluginPath.c_str(), loadError);
    if (!myPlugin)
    {
        error = loadError;
        return false;
    }
    SOP_Source::registerOperator(myTable);
    myNetwork = std::make_unique<OP_Network>("obj", &myTable);
    myPoints = static_cast<SOP_Source *>(myNetwork->createNode(SOP_Source::theTypeName, "points"));
    myCollider = static_cast<SOP_Source *>(myNetwork->createNode(SOP_Source::theTypeName, "collider"));
    std::string createError;
    OP_Node *node = myNetwork->createNode(velkor::kNodeType, "velkor", &createError);
    myVelkor = node ? node->castToSOPNode() : nullptr;
    if (!myPoints || !myCollider || !myVelkor)
    {
        error = "plug-in " + pluginPath + " does not provide the node type \"" + velkor::kNodeType + "\"" +
                (createError.empty() ? std::string() : ": " + createError);
        return false;
    }
    myVelkor->setInput(0, myPoints);
    myVelkor->setInput(1, myCollider);
    return true;
}

void VelkorNetwork::setInputs(std::shared_ptr<GU_Detail> points, std::shared_ptr<GU_Detail> collider)
{
    myPoints->setDetail(std::move(points));
    myCollider->setDetail(std::move(collider));
}

bool VelkorNetwork::setParameters(const NodeParameters &parameters, std::string &error)
{
    const char *missing = nullptr;
    if (!myVelkor->setInt(velkor::kParmBounces, 0, 0, parameters.bounces))
        missing = velkor::kParmBounces;
    else if (!myVelkor->setFloat(velkor::kParmScatter, 0, 0, parameters.scatter))
        missing = velkor::kParmScatter;
    else if (!myVelkor->setInt(velkor::kParmScatterNum, 0, 0, parameters.scatterNum))
        missing = velkor::kParmScatterNum;
    else if (!myVelkor->setFloat(velkor::kParmDissipation, 0, 0, parameters.dissipation))
        missing = velkor::kParmDissipation;
    if (missing)
        error = std::string("the node type \"") + velkor::kNodeType + "\" has no parameter \"" + missing + "\"";
    return missing == nullptr;
}

CookResult VelkorNetwork::cook()
{
    CookResult result;
    OP_Context context(0);
    const auto start = std::chrono::steady_clock::now();
    result.output = myVelkor->getCookedGeoHandle(context);
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    result.severity = myVelkor->error();
    const UT_ErrorManager &errors = myVelkor->getErrorManager();
    for (int i = 0; i < errors.getNumErrors(); ++i)
        result.messages.push_back(errors.getError(i));
    result.raysTraced = cookStatistic(velkor::kStatRaysTraced);
    result.colliderBuildMicroseconds = cookStatistic(velkor::kStatColliderBuildMicroseconds);
    return result;
}

int64_t VelkorNetwork::cookStatistic(const char *name) const
{
    return myVelkor ? myVelkor->getCookStatistic(name, -1) : -1;
}
