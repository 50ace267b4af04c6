// The fixed parts of a view page: the three.js library and its orbit
// controls (Debian's libjs-three, MIT licence), and the page's own scripts
// (in load order: panel, data, viewer, read-out, probe) and style.
//
// They are compiled into the program from their files at build time
// (embed_text.cmake), so a page is written without reading anything at run
// time and works with no network and no server.
#pragma once

#include <string_view>

std::string_view threeLibraryScript();
std::string_view orbitControlsScript();
std::string_view panelScript();
std::string_view dataScript();
std::string_view viewerScript();
std::string_view readoutScript();
std::string_view probeScript();
std::string_view viewerStyle();
