#include <GEO/GEO_Vertex.h>

#include <GEO/GEO_Detail.h>

GA_Index GA_GBVertex::getPointIndex() const
{
    if (!myDetail || myOffset < 0 || myOffset >= myDetail->getNumVertices())
        return GA_INVALID_OFFSET;
    return myDetail->vertexPoint(myOffset);
}
