#include "cli/plugin_path.h"

#include "cli/platform.h"

#include <filesystem>
#include <system_error>

#ifndef VELKOR_PLUGIN_RELATIVE_DIR
#define VELKOR_PLUGIN_RELATIVE_DIR "."
#endif

PluginLocation choosePluginPath(const std::string &option, const std::string &environment,
                                const std::string &executable, const std::string &fileName,
                                const std::string &installedDir, const std::function<bool(const std::string &)> &exists)
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
    const fs::path folder = fs::u8path(executable).parent_path();
    const PluginLocation beside{(folder / fs::u8path(fileName)).u8string(), "beside the program"};
    if (!exists || installedDir.empty() || exists(beside.path))
        return beside;
    const fs::path installed = (folder / fs::u8path(installedDir) / fs::u8path(fileName)).lexically_normal();
    if (installed == fs::u8path(beside.path).lexically_normal() || !exists(installed.u8string()))
        return beside;  // a failure then names the first place looked at
    return {installed.u8string(), "installed plug-in folder"};
}

PluginLocation findPlugin(const std::string &option)
{
    const auto isFile = [](const std::string &path) {
        std::error_code ignored;
        return std::filesystem::is_regular_file(std::filesystem::u8path(path), ignored);
    };
    return choosePluginPath(option, environmentVariable("VELKOR_PLUGIN_PATH"), executablePath(), pluginFileName(),
                            VELKOR_PLUGIN_RELATIVE_DIR, isFile);
}
