// The report printed after every cook: what went in, what came out, how
// long each phase took, and every message the node raised.
//
// Counts carry thousands separators and times three decimals, so a person
// can read them at a glance; phases that did not run are left out rather
// than shown as zero.
#pragma once

#include <UT/UT_ErrorManager.h>

#include <cstdint>
#include <string>
#include <vector>

struct CookSummary
{
    std::string title;  // e.g. "velkor cook: out.geo"
    int64_t inputPoints = 0;
    int64_t colliderPrimitives = 0;
    int64_t outputPoints = -1;   // -1: the cook produced nothing usable
    int64_t raysTraced = -1;     // -1: the plug-in does not count them
    double buildSeconds = -1.0;  // collider preparation within the cook; -1: not reported
    int threads = 0;
    std::string search;         // "accelerated" or "exhaustive"
    double readSeconds = -1.0;  // -1: phase not run
    double cookSeconds = -1.0;
    double writeSeconds = -1.0;
    double previewSeconds = -1.0;
    double viewSeconds = -1.0;
    std::string outputPath;
    std::string previewPath;
    std::string viewPath;
    std::vector<UT_ErrorRecord> messages;    // the node's, in the order raised
    std::vector<std::string> fileWarnings;   // from reading and writing files
    std::vector<std::string> colliderNotes;  // what was done to the collider before the cook
};

std::string formatSummary(const CookSummary &summary);

// 1234567 -> "1,234,567".
std::string formatCount(int64_t value);
// Seconds with three decimals: "0.012 s".
std::string formatSeconds(double seconds);
