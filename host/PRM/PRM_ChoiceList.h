// A menu attached to a parameter.
//
// The items are either a static list of names (ended by a name whose token is
// null) or produced on demand by a generator that looks at the node holding
// the parameter, as a group menu lists the groups of the node's input. The
// type says what picking an item does to the field: replace its text, or
// toggle the item's token in a space-separated list.
#pragma once

#include <PRM/PRM_Name.h>
#include <UT/UT_API.h>

#include <string>
#include <vector>

class OP_Node;

enum PRM_ChoiceListType
{
    PRM_CHOICELIST_REPLACE = 0,
    PRM_CHOICELIST_TOGGLE = 1
};

struct PRM_ChoiceItem
{
    std::string token;
    std::string label;
};

// Appends the menu's items for owner (which may be null) to items.
typedef void (*PRM_ChoiceGenerator)(const OP_Node *owner, std::vector<PRM_ChoiceItem> &items);

class UT_API PRM_ChoiceList
{
public:
    // Constant-initialised, so static menus exist before any plug-in's
    // templates refer to them.
    constexpr PRM_ChoiceList(PRM_ChoiceListType type, const PRM_Name *items)
        : myType(type), myItems(items), myGenerator(nullptr)
    {}
    constexpr PRM_ChoiceList(PRM_ChoiceListType type, PRM_ChoiceGenerator generator)
        : myType(type), myItems(nullptr), myGenerator(generator)
    {}

    PRM_ChoiceListType getType() const { return myType; }
    bool isGenerated() const { return myGenerator != nullptr; }

    // The menu as it stands for owner.
    std::vector<PRM_ChoiceItem> getChoices(const OP_Node *owner) const;

private:
    PRM_ChoiceListType myType;
    const PRM_Name *myItems;
    PRM_ChoiceGenerator myGenerator;
};
