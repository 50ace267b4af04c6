// Why the structure may skip a triangle: where an accepted hit can lie.
//
// The exact test accepts a hit point H that it computes in float, and H is
// not where exact geometry would put it. The structure skips a triangle only
// when the ray cannot come near the triangle, so it needs a region that
// provably holds every H the float test can accept. Let O be the origin, U
// the normalised direction (U = safeNormalize(d), |U| = 1 within 6u, with
// u = 2^-24) and s = -t > 0 the plane parameter. Then:
//
// 1. H lies next to the ray: H = O + s*U up to the two roundings of
//    O - U*t, at most 2.1u*s + 1.1u*|O| away.
// 2. H lies next to the triangle's plane: t = ((O-P0).n)/(n.d) in float, and
//    with f(X) = (X-P0).n one finds f(O + s*U) = f(O)(1 - k(1+g)) - k*e1 +
//    t*(k*e2 - n.z), where k is safeNormalize's scale (U = k*d + z), e1 and
//    e2 are the dot products' rounding errors (<= 4.01u|O-P0||n| and
//    <= 3.01u|n||d|) and g the division's. So the distance from the plane
//    through P0 with the float normal n is at most (eta + 5.1u)|O - P0| +
//    4.1u*s, with eta = |1 - k|: tiny for the unit directions callers pass.
//    This holds for grazing rays too: a badly conditioned t moves H along
//    the ray, not away from the plane.
// 3. The float normal n is tilted from the true one by at most
//    6.1u*|P1-P0||P2-P0|/|N| radians, which moves the plane by that much per
//    unit of distance from P0.
// 4. The weights are read off altitude vectors A_i that are themselves
//    rounded (|A_i - a_i| <= 15u*|P_i+1 - P_i|). Evaluated exactly with A_i,
//    weight i is b_i + c_i*b_i+2, where b are the true barycentric
//    coordinates and |c_i| <= 15u*|E_i,i+1||E_i+1,i+2|/h_i^2 <= 15u*r^2,
//    r = L/h (longest edge over shortest altitude); the float evaluation
//    adds at most about 16u*r. While the skew 15u*r^2 stays below 1/8 the
//    map back to b is well conditioned: every accepted H has
//    b_i >= -(eps + 1.2*skew), so its projection lies within
//    2L(eps + 1.2*skew) of the triangle. Beyond that the weights of a sliver
//    say little about where H is, so such triangles are tested on every ray.
//
// Each part depends on the triangle alone (3, 4 and the |P0| share of 2:
// baked into each triangle's box) or on the ray alone (the |O| and s shares
// of 1 and 2: added to every box at query time). Every bound is doubled for
// safety, and box tests carry a further 8u of every magnitude involved for
// their own rounding.
#pragma once

namespace roundingBounds
{

// Unit roundoff of single precision.
constexpr double kUnit = 0x1p-24;

// The eta = |1 - k| (safeNormalize scales by k, about 1/|d|) that triangle
// boxes are built for. Unit directions give about 4u; a ray with a larger eta
// adds the excess, times the scene's largest corner distance, to its own
// margin.
constexpr double kMaxScaleError = 0x1p-20;

// Rays with a larger eta (directions more than about 0.2% off unit length)
// are searched exhaustively: their margins would cover most of the scene.
constexpr double kMaxRayScaleError = 0x1p-9;

// Coordinates beyond this magnitude (and non-finite ones) are kept out of the
// structure: products of differences must stay far from float overflow.
constexpr double kMaxCoordinate = 0x1p40;

// Altitudes below this (and so squared lengths below 2^-100) could meet
// float underflow, where the relative rounding bounds above no longer hold.
constexpr double kMinAltitude = 0x1p-50;

// Largest weight skew 15u*r^2 for which the bound of step 4 is used.
constexpr double kMaxWeightSkew = 0.125;

// Multiplier applied to every derived bound.
constexpr double kSafety = 2.0;

// Extra relative allowance of box tests for their own rounding.
constexpr double kBoxTestRounding = 8.0 * kUnit;

// Absolute floor of every ray margin: covers underflowing products (each off
// by at most 2^-149) and replaced zero direction components.
constexpr double kMarginFloor = 0x1p-40;

}  // namespace roundingBounds
