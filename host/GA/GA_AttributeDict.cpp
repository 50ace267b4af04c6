#include <GA/GA_AttributeDict.h>

#include <algorithm>

GA_AttributeDict::iterator::iterator(const GA_AttributeDict *dict, GA_AttributeScope scope)
    : myDict(dict), myScope(scope), myIndex(0)
{
    skipToScope();
}

bool GA_AttributeDict::iterator::atEnd() const { return !myDict || myIndex >= myDict->myAttribs.size(); }

GA_Attribute *GA_AttributeDict::iterator::attrib() const
{
    return atEnd() ? nullptr : myDict->myAttribs[myIndex].get();
}

GA_AttributeDict::iterator &GA_AttributeDict::iterator::operator++()
{
    if (!atEnd())
    {
        ++myIndex;
        skipToScope();
    }
    return *this;
}

void GA_AttributeDict::iterator::skipToScope()
{
    if (myScope == GA_SCOPE_ANY)
        return;
    while (!atEnd() && myDict->myAttribs[myIndex]->getScope() != myScope)
        ++myIndex;
}

GA_Attribute *GA_AttributeDict::find(const std::string &name) const
{
    for (const std::unique_ptr<GA_Attribute> &attrib : myAttribs)
        if (name == attrib->getName())
            return attrib.get();
    return nullptr;
}

GA_Attribute *GA_AttributeDict::add(std::unique_ptr<GA_Attribute> attrib)
{
    if (!attrib || find(attrib->getName()))
        return nullptr;
    myAttribs.push_back(std::move(attrib));
    return myAttribs.back().get();
}

bool GA_AttributeDict::remove(const std::string &name)
{
    auto it = std::find_if(myAttribs.begin(), myAttribs.end(),
                           [&](const std::unique_ptr<GA_Attribute> &a) { return name == a->getName(); });
    if (it == myAttribs.end())
        return false;
    myAttribs.erase(it);  // keeps the creation order of the rest
    return true;
}
