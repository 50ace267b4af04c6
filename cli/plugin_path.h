// Where the node's plug-in library is looked for.
//
// In order: the --plugin option, the environment variable
// VELKOR_PLUGIN_PATH, and the plug-in's file name beside the executable
// (the build puts both in the same folder, as an installation does). The
// origin travels with the path so a load failure can say why that file was
// tried.
#pragma once

#include <string>

struct PluginLocation
{
    std::string path;
    std::string origin; // "--plugin", "VELKOR_PLUGIN_PATH" or "beside the program"
};

// The choice itself, from the three candidates (empty when not given).
PluginLocation choosePluginPath(const std::string &option, const std::string &environment,
                                const std::string &executable, const std::string &fileName);

// The choice for this process: the option's value, the environment and the
// executable's own path.
PluginLocation findPlugin(const std::string &option);
