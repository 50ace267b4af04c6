// The options shared by every command that cooks the node (cook and demo):
// the node's four parameters, how the trace runs, the preview picture and
// the output's verbosity.
//
// Parameter values are handed to the node as given, even ones it rejects
// (bounces below 1): the node's own warning then says what is wrong, the
// same message a user of the host application would see.
#pragma once

#include "cli/preview_look.h"
#include "contract/velkor_contract.h"

#include <cstdint>
#include <string>

namespace CLI
{
class App;
}

// The node's parameters, with the node's defaults.
struct NodeParameters
{
    int64_t bounces = velkor::kDefaultBounces;
    double scatter = velkor::kDefaultScatter;
    int64_t scatterNum = velkor::kDefaultScatterNum;
    double dissipation = velkor::kDefaultDissipation;
};

struct CookOptions
{
    NodeParameters parameters;
    int threads = 0;          // 0: as many as the machine has
    std::string search;       // one of the contract's search words; empty leaves VELKOR_SEARCH alone
    std::string previewPath;  // empty: no picture (cook); the demo always draws one
    PreviewLook look;         // picture camera, size and points; the view page
    bool quiet = false;
    std::string pluginOption;  // --plugin
};

// Adds the parameter, trace and output options to a command. The
// parameters' shown defaults are the values already held in `options`.
void addCookOptions(CLI::App &command, CookOptions &options, bool withPreviewPath);
