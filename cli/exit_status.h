// What the program's exit status means, and how failures are printed.
//
// Scripts and batch systems run velkor unattended, so the status tells them
// what happened without parsing text, and every failure is one line on
// standard error that names the file or value at fault.
#pragma once

#include <string>

enum ExitStatus : int
{
    kExitSuccess = 0,       // done; warnings, if any, were printed
    kExitNodeError = 1,     // the node ended its cook with an error; nothing written
    kExitUsage = 2,         // bad command line, unreadable input, unusable output
                            // path, or a plug-in that cannot be loaded
    kExitInterrupted = 130  // Ctrl-C; nothing written (128 + SIGINT, as shells report it)
};

// The exit-status table shown at the end of `velkor --help`.
const char *exitStatusHelp();

// Prints "velkor: <message>" on standard error and returns status, so a
// command can end with `return fail(kExitUsage, ...)`.
int fail(ExitStatus status, const std::string &message);
