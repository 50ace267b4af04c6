#include "cli/plugin_path.h"

#include "cli/platform.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

TEST(PluginPath, OptionThenEnvironmentThenBesideTheProgram)
{
    const std::string exe = "/opt/velkor/bin/velkor";
    EXPECT_EQ(choosePluginPath("/a/SOP_Velkor.so", "/b/SOP_Velkor.so", exe, "SOP_Velkor.so").path, "/a/SOP_Velkor.so");
    EXPECT_EQ(choosePluginPath("/a/SOP_Velkor.so", "", exe, "SOP_Velkor.so").origin, "--plugin");

    const PluginLocation env = choosePluginPath("", "/b/SOP_Velkor.so", exe, "SOP_Velkor.so");
    EXPECT_EQ(env.path, "/b/SOP_Velkor.so");
    EXPECT_EQ(env.origin, "VELKOR_PLUGIN_PATH");

    const PluginLocation beside = choosePluginPath("", "", exe, "SOP_Velkor.so");
    // Compared as paths: Windows joins with a backslash.
    EXPECT_EQ(std::filesystem::u8path(beside.path), std::filesystem::u8path("/opt/velkor/bin/SOP_Velkor.so"));
    EXPECT_EQ(beside.origin, "beside the program");
}

TEST(PluginPath, UnknownExecutableFallsBackToTheBareName)
{
    EXPECT_EQ(choosePluginPath("", "", "", "SOP_Velkor.dll").path, "SOP_Velkor.dll");
}

TEST(PluginPath, ThisProcessLooksBesideItsOwnExecutable)
{
    // An empty variable counts as unset.
    ASSERT_TRUE(setEnvironmentVariable("VELKOR_PLUGIN_PATH", ""));
    const std::filesystem::path exe = std::filesystem::u8path(executablePath());
    EXPECT_EQ(exe.stem().u8string(), "cli_tests");
    const PluginLocation found = findPlugin("");
    EXPECT_EQ(std::filesystem::u8path(found.path), exe.parent_path() / pluginFileName());
}

} // namespace
