#include "cli/exit_status.h"

#include <iostream>

const char *exitStatusHelp()
{
    return "Exit status:\n"
           "  0    success (the node's warnings, if any, are printed)\n"
           "  1    the node ended with an error; no output was written\n"
           "  2    bad command line, unreadable input file, unusable output path,\n"
           "       or a plug-in that cannot be loaded\n"
           "  130  interrupted with Ctrl-C; no output was written\n"
           "\n"
           "The plug-in is SOP_Velkor beside this program unless --plugin PATH or the\n"
           "environment variable VELKOR_PLUGIN_PATH names another.";
}

int fail(ExitStatus status, const std::string &message)
{
    std::cerr << "velkor: " << message << '\n';
    return status;
}
