// Vertices: the corners of primitives, each referring to one point.
#pragma once

#include <GA/GA_Types.h>
#include <UT/UT_API.h>

class GEO_Detail;

class UT_API GA_GBVertex
{
public:
    GA_GBVertex(const GEO_Detail *detail, GA_Offset vertex) : myDetail(detail), myOffset(vertex) {}
    GA_Offset getMapOffset() const { return myOffset; }
    // Index of the point this vertex refers to; GA_INVALID_OFFSET for a
    // vertex that does not exist.
    GA_Index getPointIndex() const;

protected:
    const GEO_Detail *myDetail;
    GA_Offset myOffset;
};

class UT_API GEO_Vertex : public GA_GBVertex
{
public:
    using GA_GBVertex::GA_GBVertex;
};
