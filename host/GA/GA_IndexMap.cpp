#include <GA/GA_IndexMap.h>

#include <GA/GA_AttributeDict.h>

GA_Offset GA_IndexMap::addElementBlock(GA_Size n)
{
    if (n <= 0)
        return GA_INVALID_OFFSET;
    const GA_Offset first = mySize;
    // Attributes grow first, so every offset the map reports has data.
    const GA_Size size = mySize + n;
    for (GA_Size i = 0; i < myAttributes->entries(); ++i)
        myAttributes->entry(i)->setSize(size);
    mySize = size;
    return first;
}
