// One cook from the command line, shared by `velkor cook` and `velkor demo`:
// load the plug-in, cook the inputs, write the output geometry and its
// preview, and report.
//
// Order of a run: checkOutputPath for every file to be written, then
// buildNetwork (so a missing plug-in is reported before any slow read), then
// the command gathers its inputs, then runCook. Each step that fails prints
// one line on standard error and gives the exit status to end with.
//
// Nothing is written when the node ends with an error or the run is
// interrupted; what is written goes through a temporary file, so a target
// is either replaced whole or left as it was.
#pragma once

#include "cli/cook_options.h"
#include "cli/network.h"

#include <GU/GU_Detail.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

struct CookInputs
{
    std::shared_ptr<GU_Detail> points;
    std::shared_ptr<GU_Detail> collider;
    // Type-information tokens of the points file that have no code of their
    // own, written back unchanged with the output.
    std::map<std::string, std::string> typeTokens;
    double readSeconds = -1.0;  // -1: built in memory, not read
    std::vector<std::string> fileWarnings;
    std::vector<std::string> colliderNotes;  // what was done to the collider before the cook
};

struct CookTargets
{
    std::string title;        // first line of the summary
    std::string outputPath;   // .geo
    std::string previewPath;  // .png, or empty for none
    std::string viewPath;     // .html view page, or empty for none
};

// False with a message when path cannot be written: its folder is missing,
// or it names a folder.
bool checkOutputPath(const std::string &path, std::string &error);

// Finds and loads the plug-in. Returns kExitSuccess or the status to end with.
int buildNetwork(VelkorNetwork &network, const CookOptions &options);

// Cooks, writes and reports. Returns the exit status.
int runCook(VelkorNetwork &network, const CookInputs &inputs, const CookOptions &options, const CookTargets &targets);

// Ctrl-C raises the host's interrupt request, which the cook polls.
void routeInterruptToHost();
bool interruptRequested();
