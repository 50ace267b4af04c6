// Where the node's plug-in library is looked for.
//
// In order: the --plugin option, the environment variable
// VELKOR_PLUGIN_PATH, the plug-in's file name beside the executable (the
// build tree's layout, and an installation's on Windows), then the installed
// plug-in folder relative to the executable (an installation's on Linux:
// bin/velkor finds ../lib/velkor/plugins/SOP_Velkor.so). The origin travels
// with the path so a load failure can say why that file was tried.
#pragma once

#include <functional>
#include <string>

struct PluginLocation
{
    std::string path;
    std::string origin;  // "--plugin", "VELKOR_PLUGIN_PATH", "beside the program" or "installed plug-in folder"
};

// The choice itself, from the candidates (empty when not given).
// installedDir is the plug-in folder relative to the executable's folder;
// it is taken when exists() says that the file beside the program is
// missing and the installed one is there. Without exists, the file beside
// the program is the answer.
PluginLocation choosePluginPath(const std::string &option, const std::string &environment,
                                const std::string &executable, const std::string &fileName,
                                const std::string &installedDir = std::string(),
                                const std::function<bool(const std::string &)> &exists = nullptr);

// The choice for this process: the option's value, the environment and the
// executable's own path.
PluginLocation findPlugin(const std::string &option);
