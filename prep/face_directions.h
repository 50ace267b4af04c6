// Direction values computed from a collider's faces, for colliders that
// come without them.
//
// The node turns every ray about the collider's direction attribute (type
// information "vector") and refuses a collider without one. A mesh saved
// without normals still says which way each face points, by the order of its
// corners, so the direction of a point is taken from the faces around it:
// the sum of the area vectors (prep/polygon_geometry.h) of the faces that use
// the point, scaled to unit length. Large faces weigh more than small ones,
// and a face of many corners counts once, by its whole area, however it is
// later cut into triangles.
//
// Sign: the area vector follows the corners by the right-hand rule, the
// normal the node builds from a triangle's corners. The node meets a
// triangle travelling along that normal, so for a closed mesh wound
// counter-clockwise seen from outside (the usual convention of mesh files)
// the directions point out and rays from inside stop on it. The node's turn
// about an axis does not depend on which way the axis points, so a mesh
// whose own normals point the other way is turned exactly alike; only a
// consistent winding matters, since the directions are interpolated.
#pragma once

#include <GA/GA_ATINumeric.h>
#include <GU/GU_Detail.h>

#include <cstdint>
#include <string>

struct FaceDirectionCount
{
    GA_ATINumeric *attribute = nullptr;  // the attribute added, or null
    int64_t pointsWithDirection = 0;
    int64_t pointsWithoutFace = 0;  // points no face uses: (0, 0, 0)
    int64_t pointsCancelled = 0;    // faces around the point cancel out: (0, 0, 0)
};

// Adds the point attribute `name` (three floats, type information "vector")
// to gdp, holding each point's direction from the faces around it.
// position is gdp's attribute that the node takes as position. Adds nothing
// (attribute null) when no point gets a direction, so that a collider
// without any face keeps lacking one, or when the name is taken.
FaceDirectionCount addFaceDirections(GU_Detail &gdp, const GA_ATINumeric &position, const std::string &name);
