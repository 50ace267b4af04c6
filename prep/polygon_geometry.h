// The few facts about one polygon that collider preparation needs: where its
// corners are and which way it faces.
//
// A polygon's area vector is the sum of the cross products of its fan
// triangles, cross(Pi - P0, Pi+1 - P0): its length is twice the area and its
// direction follows the corners by the right-hand rule. For a triangle it is
// exactly cross(P1 - P0, P2 - P0), the normal the node builds from a
// triangle's corners; for a polygon that is not flat it is the normal of the
// plane that fits it best (Newell's normal). It is summed in double
// precision from the float corners, so a polygon always gives the same
// vector, on every platform.
#pragma once

#include <GA/GA_ATINumeric.h>
#include <GEO/GEO_Primitive.h>
#include <UT/UT_Vector3.h>

#include <vector>

// The corners of prim, read from the position attribute as the node reads
// them (three components rounded to float), in vertex order.
void readPolygonCorners(const GEO_Primitive &prim, const GA_ATINumeric &position, std::vector<UT_Vector3> &corners);

// Twice the area times the unit normal, by the right-hand rule over the
// corner order; (0, 0, 0) for fewer than three corners.
UT_Vector3D polygonAreaVector(const std::vector<UT_Vector3> &corners);

// True for the primitives collider preparation works on: closed polygons of
// three corners or more (open polygons are curves, not faces).
bool isFace(const GEO_Primitive &prim);
