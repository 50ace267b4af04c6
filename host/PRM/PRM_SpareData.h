// Extra settings attached to a parameter, as token/value text pairs.
//
// Spare data tells a user interface how to present a parameter beyond its
// type (for example, that a group field offers a button to pick the group in
// the viewport); the node itself never reads it back during a cook.
#pragma once

#include <UT/UT_API.h>

#include <map>
#include <string>

class UT_API PRM_SpareData
{
public:
    PRM_SpareData() = default;

    void setValue(const char *token, const char *value);
    // The value of token, or null when absent.
    const char *getValue(const char *token) const;
    // Adds every entry of other, replacing entries with the same token.
    void merge(const PRM_SpareData &other);
    int entries() const { return int(myValues.size()); }

private:
    std::map<std::string, std::string> myValues;
};
