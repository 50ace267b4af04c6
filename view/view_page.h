// A view page: one self-contained HTML file that shows a cook's result in
// 3D in any browser, with no network and no server.
//
// The page inlines three.js, its own script and style, a small JSON record
// of what it shows (counts, the colour scale, the summary panel) and the
// geometry as base64 text of little-endian Float32Array and Uint32Array
// buffers, one per script element. Packed buffers grow by a third as base64
// and decode in milliseconds, where the same numbers as JSON text would be
// three times larger and slow to parse; past the fixed ~0.9 MB of scripts a
// page is about 1.34 times its raw float data.
#pragma once

#include "view/view_scene.h"

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The summary panel: a title, label and value rows, and messages with their
// severity ("Warning", "Error", ...).
struct ViewPanel
{
    std::string title;
    std::vector<std::pair<std::string, std::string>> rows;
    std::vector<std::pair<std::string, std::string>> messages;
};

// Calls `write` with the page's text in order, a piece at a time, so a page
// of a hundred megabytes is never held whole. Stops early, returning false,
// as soon as `write` returns false.
bool emitViewPage(const ViewScene &scene, const ViewPanel &panel, const std::function<bool(std::string_view)> &write);

// The page as one string (tests and small scenes).
std::string viewPageText(const ViewScene &scene, const ViewPanel &panel);

// Writes the page to path. The file appears complete or not at all; on
// failure `error` names the path.
bool writeViewPage(const std::string &path, const ViewScene &scene, const ViewPanel &panel, std::string &error);
