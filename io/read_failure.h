// How a geometry reader turns a failure into its result.
//
// Every reader (.geo, OBJ) keeps its own errors as exceptions inside and
// returns an IoResult at its entry point. What is common to all of them lives
// here: loading the file, and the message for an exception that is no
// format error of the reader's own (out of memory, or anything else thrown
// below it), always led by the file's name.
#pragma once

#include "io/file_access.h"
#include "io/io_result.h"

#include <cstddef>
#include <string>

// Reads the whole file at path, followed by `spare` zero bytes. On failure
// returns false with result.message set (a missing file, a folder, out of
// memory).
bool loadInputFile(const std::string &path, FileBytes &bytes, size_t spare, IoResult &result);

// The message for the exception being handled: "NAME: out of memory while
// reading" or "NAME: " and what the exception says. Call it only inside a
// catch block.
std::string readFailureMessage(const std::string &name);
