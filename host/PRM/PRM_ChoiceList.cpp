#include <PRM/PRM_ChoiceList.h>

std::vector<PRM_ChoiceItem> PRM_ChoiceList::getChoices(const OP_Node *owner) const
{
    std::vector<PRM_ChoiceItem> items;
    if (myGenerator)
        myGenerator(owner, items);
    else if (myItems)
        for (const PRM_Name *name = myItems; name->getToken(); ++name)
            items.push_back({name->getToken(), name->getLabel()});
    return items;
}
