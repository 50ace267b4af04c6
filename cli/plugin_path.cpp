#include "cli/plugin_path.h"

#include "cli/platform.h"

#include <filesystem>

PluginLocation choosePluginPath(const std::string &option, const std::string &environment,
                                const std::string &executable, const std::string &fileName)
{
    if (!option.empty())
        return {option, "--plugin"};
    if (!environment.empty())
        return {environment, "VELKOR_PLUGIN_PATH"};
    namespace fs = std::filesystem;
    // Without a known executable path the file name alone is tried, which
    // the system loader then looks up in its usual places.
    if (executable.empty())
        return {fileName, "beside the program"};
    const fs::path beside = fs::u8path(executable).parent_path() / fs::u8path(fileName);
    return {beside.u8string(), "beside the program"};
}

PluginLocation findPlugin(const std::string &option)
{
    return choosePluginPath(option, environmentVariable("VELKOR_PLUGIN_PATH"), executablePath(), pluginFileName());
}
