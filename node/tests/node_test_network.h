// A host network around one Velkor node, loaded from the built plug-in.
//
// Two source nodes feed the node's inputs, as in a host's network. A network
// may load a private copy of the plug-in file, which gives it a freshly
// seeded random engine whatever earlier tests drew.
#pragma once

#include <GU/GU_Detail.h>
#include <OP/OP_Network.h>
#include <OP/OP_OperatorTable.h>
#include <SOP/SOP_Node.h>
#include <SOP/SOP_Source.h>
#include <UT/UT_DSO.h>
#include <memory>
#include <string>

namespace node_test
{

struct VelkorNetwork
{
    explicit VelkorNetwork(bool freshPluginInstance = false);
    ~VelkorNetwork();

    void setInputs(const GU_Detail &points, const GU_Detail &collider);
    void setParms(int bounces, double scatter, int scatterNum, double dissipation);
    // Cooks the node; the output, or null.
    const GU_Detail *cook();
    std::string messages(UT_ErrorSeverity minimum = UT_ERROR_MESSAGE) const;
    bool hasMessage(UT_ErrorSeverity severity, const std::string &text) const;

    OP_OperatorTable table;
    std::shared_ptr<UT_DSO> plugin;
    std::string loadError;
    std::string pluginCopy;  // removed at destruction
    std::unique_ptr<OP_Network> network;
    SOP_Source *points = nullptr;
    SOP_Source *collider = nullptr;
    SOP_Node *velkor = nullptr;
};

}  // namespace node_test
