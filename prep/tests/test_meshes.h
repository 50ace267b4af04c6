// Small meshes built in code for the collider preparation tests.
#pragma once

#include <GU/GU_Detail.h>
#include <UT/UT_Vector3.h>

#include <vector>

// Fills gdp with points at `positions` (attribute "P", type "point") and one
// polygon per entry of `faces`, given as point numbers.
void makeMesh(GU_Detail &gdp, const std::vector<UT_Vector3> &positions,
              const std::vector<std::vector<GA_Offset>> &faces);

// A 2 x 2 x 2 box centred on the origin, six quads wound counter-clockwise
// seen from outside; point i has x, y, z = +1 where bit 0, 1, 2 of i is set.
void makeQuadBox(GU_Detail &gdp);

const GA_ATINumeric &position(const GU_Detail &gdp);
UT_Vector3D pointValue(const GU_Detail &gdp, const char *name, GA_Offset point);
std::vector<std::vector<GA_Offset>> polygonPoints(const GU_Detail &gdp);
