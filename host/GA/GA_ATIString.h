// String attributes: per element, an index into a table of unique strings.
// They exist so that numeric attributes can be told apart by type.
#pragma once

#include <GA/GA_Attribute.h>
#include <string>
#include <unordered_map>
#include <vector>

class UT_API GA_ATIString : public GA_Attribute
{
public:
    static const GA_AttributeType theAttributeType;

    GA_ATIString(const std::string &name, int tupleSize);

    // The string of one component of one element; empty when unset.
    const std::string &getString(GA_Offset off, int component = 0) const;
    void setString(GA_Offset off, const std::string &value, int component = 0);

    GA_Size size() const override;
    void setSize(GA_Size n) override;
    std::unique_ptr<GA_Attribute> clone() const override;

private:
    GA_ATIString(const GA_ATIString &src) = default;

    std::vector<std::string> myTable;                   // index 0 is the empty string
    std::vector<int32_t> myIndices;                     // tupleSize per element
    std::unordered_map<std::string, int32_t> myLookup;  // table position of each string
    GA_Size mySize = 0;
};
