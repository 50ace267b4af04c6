#include "node/tests/node_test_network.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>

namespace node_test
{

namespace
{

std::string copyPlugin()
{
    static int counter = 0;
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path();
    const fs::path copy =
        dir / ("velkor_plugin_" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + "_" +
               std::to_string(counter++) + fs::path(VELKOR_PLUGIN_PATH).extension().string());
    fs::copy_file(VELKOR_PLUGIN_PATH, copy, fs::copy_options::overwrite_existing);
    return copy.string();
}

}  // namespace

VelkorNetwork::VelkorNetwork(bool freshPluginInstance)
{
    const std::string path = freshPluginInstance ? (pluginCopy = copyPlugin()) : std::string(VELKOR_PLUGIN_PATH);
    plugin = table.loadSopPlugin(path.c_str(), loadError);
    SOP_Source::registerOperator(table);
    network = std::make_unique<OP_Network>("obj", &table);
    points = static_cast<SOP_Source *>(network->createNode(SOP_Source::theTypeName, "points"));
    collider = static_cast<SOP_Source *>(network->createNode(SOP_Source::theTypeName, "collider"));
    OP_Node *node = network->createNode("hdk_velkor", "velkor");
    velkor = node ? node->castToSOPNode() : nullptr;
    if (velkor)
    {
        velkor->setInput(0, points);
        velkor->setInput(1, collider);
    }
}

VelkorNetwork::~VelkorNetwork()
{
    network.reset();
    plugin.reset();
    if (!pluginCopy.empty())
        std::remove(pluginCopy.c_str());
}

void VelkorNetwork::setInputs(const GU_Detail &pointGeo, const GU_Detail &colliderGeo)
{
    points->setDetail(std::make_shared<GU_Detail>(pointGeo));
    collider->setDetail(std::make_shared<GU_Detail>(colliderGeo));
}

void VelkorNetwork::setParms(int bounces, double scatter, int scatterNum, double dissipation)
{
    velkor->setInt("bounces", 0, 0, bounces);
    velkor->setFloat("scatter", 0, 0, scatter);
    velkor->setInt("scatternum", 0, 0, scatterNum);
    velkor->setFloat("dissipation", 0, 0, dissipation);
}

const GU_Detail *VelkorNetwork::cook()
{
    OP_Context context(0);
    return velkor->getCookedGeo(context);
}

std::string VelkorNetwork::messages(UT_ErrorSeverity minimum) const { return velkor->getErrorMessages(minimum); }

bool VelkorNetwork::hasMessage(UT_ErrorSeverity severity, const std::string &text) const
{
    const UT_ErrorManager &errors = velkor->getErrorManager();
    for (int i = 0; i < errors.getNumErrors(); ++i)
        if (errors.getError(i).severity == severity && errors.getError(i).message.find(text) != std::string::npos)
            return true;
    return false;
}

}  // namespace node_test
