// The files the render and view commands draw from: a result, and where
// given the collider it was traced against and the cook's input, whose
// points are marked apart from the new ones. Both commands take these three
// files and one output, set up their options alike and read them alike;
// only the names and help texts of the options differ.
//
// The collider is drawn as the cook prepares it: an .obj collider's faces
// are cut into triangles unless --keep-polygons says otherwise, a .geo
// collider's with --triangulate, so that the picture shows the triangles the
// node traced against (collider_preparation.h).
#pragma once

#include "cli/collider_preparation.h"
#include "view/view_page.h"

#include <GU/GU_Detail.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace CLI
{
class App;
}

struct ResultFilePaths
{
    std::string result;
    std::string collider;  // empty: none
    std::string input;     // empty: none
    std::string output;
    ColliderOptions colliderOptions;  // only --triangulate and --keep-polygons are offered
};

// How one command names and explains the file options. The result is always
// a required positional argument; the collider is positional when its name
// does not start with "-".
struct ResultFileHelp
{
    const char *resultName;
    const char *resultHelp;
    const char *colliderName;
    const char *colliderHelp;
    const char *inputHelp;
    const char *outputHelp;
};

// Adds the result, collider, --input and -o/--output options, in that order,
// then the collider's --triangulate and --keep-polygons.
void addResultFileOptions(CLI::App &command, ResultFilePaths &paths, const ResultFileHelp &help);

struct ResultFiles
{
    GU_Detail result;
    std::shared_ptr<GU_Detail> collider;  // prepared; null when none is given
    std::optional<GU_Detail> input;
    std::vector<std::string> warnings;  // from reading and preparing them, each naming its file
};

// Reads the result, then the collider (and prepares it) and the input where
// given. False after printing why a file could not be read.
bool readResultFiles(const ResultFilePaths &paths, ResultFiles &files);

// The rows a page of the result shows about its files: the result's points,
// the input's points and the collider's primitives where given.
void addResultFileRows(const ResultFiles &files, ViewPanel &panel);
