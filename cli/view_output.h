// Writing view pages from the command line: the summary panel of a cook or
// of files, and the page itself (view/view_page.h).
#pragma once

#include "cli/cook_options.h"
#include "cli/summary.h"
#include "view/view_page.h"

#include <GU/GU_Detail.h>

#include <string>

// The panel of a cook: what went in and came out, the node's parameters,
// the cook's time and every message.
ViewPanel cookPanel(const CookSummary &summary, const NodeParameters &parameters);

// Gathers the scene and writes the page; `input` marks the input points,
// `collider` may be null. False with a message naming the path on failure,
// in which case nothing is written.
bool writeResultView(const std::string &path, const GU_Detail &result, const GU_Detail *collider,
                     const GU_Detail *input, PointsShown shown, const ViewPanel &panel, std::string &error,
                     int64_t pointLimit = kViewPointLimit);
