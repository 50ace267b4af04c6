#include "cli/attribute_roles.h"

bool AttributeRoles::linedUp() const
{
    return directions.size() == positions.size() && intensities.size() == positions.size();
}

bool AttributeRoles::usableAsCollider() const { return !positions.empty() && !directions.empty(); }

AttributeRoles gatherAttributeRoles(const GU_Detail &gdp)
{
    AttributeRoles roles;
    // The node's walk: every scope, ending early at an empty entry.
    for (GA_AttributeDict::iterator it = gdp.pointAttribs().begin(GA_SCOPE_ANY); !it.atEnd(); ++it)
    {
        const GA_Attribute *attribute = it.attrib();
        if (!attribute)
            break;
        switch (attributeRole(*attribute))
        {
        case AttributeRole::Position:
            roles.positions.push_back(attribute->getName());
            break;
        case AttributeRole::Direction:
            roles.directions.push_back(attribute->getName());
            break;
        case AttributeRole::Intensity:
            roles.intensities.push_back(attribute->getName());
            break;
        case AttributeRole::None:
            break;
        }
    }
    return roles;
}

const char *roleName(AttributeRole role)
{
    switch (role)
    {
    case AttributeRole::Position:
        return "position";
    case AttributeRole::Direction:
        return "direction";
    case AttributeRole::Intensity:
        return "intensity";
    case AttributeRole::None:
        break;
    }
    return "-";
}
