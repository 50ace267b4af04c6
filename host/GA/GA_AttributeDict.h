// The point attributes of a detail, by name, iterated in creation order.
#pragma once

#include <GA/GA_Attribute.h>
#include <UT/UT_API.h>
#include <memory>
#include <string>
#include <vector>

class UT_API GA_AttributeDict
{
public:
    class UT_API iterator
    {
    public:
        iterator(const GA_AttributeDict *dict, GA_AttributeScope scope);
        bool atEnd() const;
        // The current attribute, or null at the end.
        GA_Attribute *attrib() const;
        iterator &operator++();

    private:
        void skipToScope();
        const GA_AttributeDict *myDict;
        GA_AttributeScope myScope;
        size_t myIndex;
    };

    GA_AttributeDict() = default;
    // Attributes are owned; a detail copies its dictionary by cloning them.
    GA_AttributeDict(const GA_AttributeDict &) = delete;
    GA_AttributeDict &operator=(const GA_AttributeDict &) = delete;

    // Iterates the attributes of one scope, or of every scope with GA_SCOPE_ANY.
    iterator begin(GA_AttributeScope scope) const { return iterator(this, scope); }

    GA_Attribute *find(const std::string &name) const;
    GA_Size entries() const { return GA_Size(myAttribs.size()); }
    GA_Attribute *entry(GA_Size i) const { return myAttribs[size_t(i)].get(); }

    // Takes ownership; refuses (returns null) a name already present.
    GA_Attribute *add(std::unique_ptr<GA_Attribute> attrib);
    bool remove(const std::string &name);
    void clear() { myAttribs.clear(); }

private:
    std::vector<std::unique_ptr<GA_Attribute>> myAttribs;
};
