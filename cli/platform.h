// The program's few calls into the operating system.
//
// Each is one small function with a POSIX and a Windows body, so the rest of
// the command line stays portable: finding the executable's own path (the
// plug-in is looked for beside it), setting an environment variable for the
// plug-in to read, asking whether standard error is a terminal (for the
// progress bar), and routing Ctrl-C to a callback.
#pragma once

#include <string>
#include <vector>

// The program's arguments in UTF-8, without the program's name. Windows
// hands main() its arguments in the ANSI code page, which cannot spell every
// file name, so there the wide command line is read and converted instead.
std::vector<std::string> commandLineArguments(int argc, char **argv);

// The plug-in's file name on this platform: SOP_Velkor.so or SOP_Velkor.dll.
const char *pluginFileName();

// Absolute path of the running executable, or empty when the system cannot
// say.
std::string executablePath();

// Sets (or replaces) an environment variable of this process, so that code
// loaded later, such as the plug-in, sees it. False when the system refuses.
bool setEnvironmentVariable(const char *name, const char *value);

// Value of an environment variable, or empty when unset.
std::string environmentVariable(const char *name);

// True when standard error is an interactive terminal.
bool standardErrorIsTerminal();

// Calls onInterrupt when the user presses Ctrl-C (SIGINT; the console
// control handler on Windows). onInterrupt runs in a signal handler (on
// Windows on a thread of its own): it must only do async-signal-safe work,
// such as storing to a lock-free atomic. A second Ctrl-C ends the program
// the usual way, in case the first one is not acted on.
void installInterruptHandler(void (*onInterrupt)());
