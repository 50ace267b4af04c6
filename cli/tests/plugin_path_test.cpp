#include "cli/plugin_path.h"

#include "cli/platform.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace
{

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

// An installation keeps the plug-in apart from the program (Linux:
// bin/velkor, lib/velkor/plugins/SOP_Velkor.so); the build tree and a
// Windows installation keep them side by side.
TEST(PluginPath, BesideTheProgramThenTheInstalledFolder)
{
    namespace fs = std::filesystem;
    const std::string exe = "/opt/velkor/bin/velkor";
    const std::string besidePath = "/opt/velkor/bin/SOP_Velkor.so";
    const std::string installedPath = "/opt/velkor/lib/velkor/plugins/SOP_Velkor.so";
    const struct
    {
        bool beside, installed;
        std::string expected, origin;
    } cases[] = {
        {true, true, besidePath, "beside the program"},
        {false, true, installedPath, "installed plug-in folder"},
        {true, false, besidePath, "beside the program"},
        // Neither there: the failure names the first place looked at.
        {false, false, besidePath, "beside the program"},
    };
    for (const auto &c : cases)
    {
        const auto exists = [&](const std::string &path) {
            return fs::u8path(path) == fs::u8path(besidePath)
                       ? c.beside
                       : fs::u8path(path) == fs::u8path(installedPath) && c.installed;
        };
        const PluginLocation found = choosePluginPath("", "", exe, "SOP_Velkor.so", "../lib/velkor/plugins", exists);
        EXPECT_EQ(fs::u8path(found.path), fs::u8path(c.expected)) << c.beside << c.installed;
        EXPECT_EQ(found.origin, c.origin);
    }
    // The option and the environment are never second-guessed.
    const auto nothing = [](const std::string &) { return false; };
    EXPECT_EQ(choosePluginPath("/x.so", "", exe, "SOP_Velkor.so", "../lib", nothing).path, "/x.so");
    EXPECT_EQ(choosePluginPath("", "/y.so", exe, "SOP_Velkor.so", "../lib", nothing).path, "/y.so");
    // "." (the Windows layout) is the folder beside the program.
    const auto onlyBeside = [&](const std::string &path) { return fs::u8path(path) == fs::u8path(besidePath); };
    EXPECT_EQ(choosePluginPath("", "", exe, "SOP_Velkor.so", ".", onlyBeside).origin, "beside the program");
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

}  // namespace
