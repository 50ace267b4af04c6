#include <PRM/PRM_SpareData.h>

void PRM_SpareData::setValue(const char *token, const char *value)
{
    if (!token)
        return;
    myValues[token] = value ? value : "";
}

const char *PRM_SpareData::getValue(const char *token) const
{
    if (!token)
        return nullptr;
    auto found = myValues.find(token);
    return found == myValues.end() ? nullptr : found->second.c_str();
}

void PRM_SpareData::merge(const PRM_SpareData &other)
{
    for (const auto &entry : other.myValues)
        myValues[entry.first] = entry.second;
}
