// The host network the command line cooks: two source nodes feeding one
// "hdk_velkor" node, built over an operator table into which the plug-in is
// loaded at run time, exactly as the host application would load it.
//
// The program never links the node's code; it knows the node only by its
// type name, its parameter tokens and the messages it leaves.
#pragma once

#include "cli/cook_options.h"

#include <GU/GU_DetailHandle.h>
#include <OP/OP_OperatorTable.h>
#include <UT/UT_DSO.h>
#include <UT/UT_ErrorManager.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class OP_Network;
class OP_Node;
class SOP_Node;
class SOP_Source;

struct CookResult
{
    UT_ErrorSeverity severity = UT_ERROR_NONE;
    std::vector<UT_ErrorRecord> messages;  // in the order the node raised them
    GU_DetailHandle output;                // the node's output detail as the cook left it
    double seconds = 0.0;
    int64_t raysTraced = -1;                 // -1 when the plug-in does not report it
    int64_t colliderBuildMicroseconds = -1;  // -1 when not reported (nothing traced)
};

class VelkorNetwork
{
public:
    VelkorNetwork();
    ~VelkorNetwork();
    VelkorNetwork(const VelkorNetwork &) = delete;
    VelkorNetwork &operator=(const VelkorNetwork &) = delete;

    // Loads the plug-in and builds the network. False with a one-line
    // message naming the plug-in file when it cannot be loaded or does not
    // provide the node type.
    bool build(const std::string &pluginPath, std::string &error);

    // The inputs are shared, not copied: the node reads them during the cook.
    void setInputs(std::shared_ptr<GU_Detail> points, std::shared_ptr<GU_Detail> collider);
    // False with a message when the node lacks one of the four parameters.
    bool setParameters(const NodeParameters &parameters, std::string &error);

    // Cooks the node. Inputs and parameters must be set.
    CookResult cook();

    // A statistic the node keeps while it cooks ("rays traced", "points
    // traced"), or -1. Safe to call from the progress callback.
    int64_t cookStatistic(const char *name) const;

private:
    OP_OperatorTable myTable;
    std::shared_ptr<UT_DSO> myPlugin;
    std::unique_ptr<OP_Network> myNetwork;
    SOP_Source *myPoints = nullptr;
    SOP_Source *myCollider = nullptr;
    SOP_Node *myVelkor = nullptr;
};
