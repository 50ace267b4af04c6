#include <GA/GA_ATIString.h>

#include <algorithm>

const GA_AttributeType GA_ATIString::theAttributeType("string");

GA_ATIString::GA_ATIString(const std::string &name, int tupleSize)
    : GA_Attribute(theAttributeType, name, tupleSize), myTable(1), myLookup{{std::string(), 0}}
{}

const std::string &GA_ATIString::getString(GA_Offset off, int component) const
{
    const GA_Size tupleSize = getTupleSize();
    if (off < 0 || off >= size() || component < 0 || component >= tupleSize)
        return myTable[0];
    return myTable[size_t(myIndices[size_t(off * tupleSize + component)])];
}

void GA_ATIString::setString(GA_Offset off, const std::string &value, int component)
{
    const GA_Size tupleSize = getTupleSize();
    if (off < 0 || off >= size() || component < 0 || component >= tupleSize)
        return;
    auto found = myLookup.find(value);
    if (found == myLookup.end())
    {
        found = myLookup.emplace(value, int32_t(myTable.size())).first;
        myTable.push_back(value);
    }
    myIndices[size_t(off * tupleSize + component)] = found->second;
}

GA_Size GA_ATIString::size() const { return mySize; }

void GA_ATIString::setSize(GA_Size n)
{
    // New elements hold the empty string (table position 0).
    mySize = std::max<GA_Size>(n, 0);
    myIndices.resize(size_t(mySize * getTupleSize()), 0);
}

std::unique_ptr<GA_Attribute> GA_ATIString::clone() const
{
    return std::unique_ptr<GA_Attribute>(new GA_ATIString(*this));
}
