#include <GA/GA_IndexMap.h>

#include <GEO/GEO_Detail.h>

GA_Offset GA_IndexMap::addElementBlock(GA_Size n)
{
    if (n <= 0)
        return GA_INVALID_OFFSET;
    const GA_Offset first = mySize;
    // Attributes grow first, so every offset the map reports has data.
    myDetail->growPointAttributes(mySize + n);
    mySize += n;
    return first;
}
