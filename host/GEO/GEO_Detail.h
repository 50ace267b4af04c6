// A geometry: points with attributes, vertices referring to points, and
// primitives made of vertices.
//
// Copying a detail shares every attribute page with the source; later writes
// on either side copy only the pages they touch.
#pragma once

#include <GA/GA_ATINumeric.h>
#include <GA/GA_ATIString.h>
#include <GA/GA_AttributeDict.h>
#include <GA/GA_IndexMap.h>
#include <GEO/GEO_PrimList.h>
#include <UT/UT_API.h>
#include <string>
#include <vector>

class UT_API GEO_Detail
{
public:
    GEO_Detail();
    GEO_Detail(const GEO_Detail &src);
    GEO_Detail &operator=(const GEO_Detail &src);
    virtual ~GEO_Detail();

    // Replaces this detail's contents with a page-sharing copy of src.
    void copy(const GEO_Detail &src);
    // Removes every point, point attribute, vertex and primitive.
    void clearAndDestroy();

    // Points.
    GA_Size getNumPoints() const { return myPointMap.indexSize(); }
    GA_IndexMap &getPointMap() { return myPointMap; }
    const GA_IndexMap &getPointMap() const { return myPointMap; }
    GA_Offset appendPointBlock(GA_Size n) { return myPointMap.addElementBlock(n); }

    // Point attributes, in creation order.
    GA_AttributeDict &pointAttribs() { return myPointAttribs; }
    const GA_AttributeDict &pointAttribs() const { return myPointAttribs; }
    GA_Attribute *findPointAttribute(const std::string &name) const { return myPointAttribs.find(name); }

    // Creates a numeric point attribute sized to the current points, with a
    // fresh data id. Returns null for a refused storage/layout pair, a tuple
    // size below 1, or a name already in use.
    GA_ATINumeric *addNumericPointAttribute(const std::string &name, int tupleSize, GA_Storage storage,
                                            GA_StorageLayout layout = GA_LAYOUT_COMPONENTS,
                                            int32_t typeInfo = GA_TYPE_VOID, const std::vector<double> &defaults = {});
    // Shorthand for an interleaved fpreal32 attribute of three components.
    GA_ATINumeric *addFloatTuple3(const std::string &name, int32_t typeInfo, const std::vector<double> &defaults = {});
    GA_ATIString *addStringPointAttribute(const std::string &name, int tupleSize = 1);
    bool destroyPointAttribute(const std::string &name) { return myPointAttribs.remove(name); }

    // Vertices and primitives.
    GA_Size getNumVertices() const { return GA_Size(myVertexPoints.size()); }
    GA_Offset vertexPoint(GA_Offset vertex) const { return myVertexPoints[size_t(vertex)]; }
    GA_Size getNumPrimitives() const { return myPrims.entries(); }
    GEO_PrimList &primitives() { return myPrims; }
    const GEO_PrimList &primitives() const { return myPrims; }
    // Appends a polygon with one new vertex per given point; returns null and
    // appends nothing when a point does not exist.
    GEO_PrimPoly *appendPolygon(const GA_Offset *points, GA_Size count, bool closed = true);
    GEO_PrimPoly *appendPolygon(const std::vector<GA_Offset> &points, bool closed = true)
    {
        return appendPolygon(points.data(), GA_Size(points.size()), closed);
    }

private:
    // The dictionary comes first: the map is built with it and grows it.
    GA_AttributeDict myPointAttribs;
    GA_IndexMap myPointMap;
    std::vector<GA_Offset> myVertexPoints;
    GEO_PrimList myPrims;
};
