// The single-bounce tracer: follows one ray through a number of bounces.
//
// Each bounce finds the nearest front-facing triangle that the ray meets
// inside or on its border, moves the ray there and turns its direction half a
// turn about the collider's direction value interpolated at the hit.
#pragma once

#include "trace/collider.h"

#include <GEO/GEO_Detail.h>
#include <UT/UT_Vector3.h>
#include <cstdint>

// The outcome of one trace: empty when the collider lacks a position or a
// direction attribute, otherwise the ray's position and direction after the
// last bounce and the collider's interpolated direction and intensity values
// at the last accepted hit ((0, 0, 0) when no bounce found a hit).
struct BounceResult
{
    bool empty() const { return !myValid; }

    UT_Vector3 position;
    UT_Vector3 direction;
    UT_Vector3 surfaceDirection;
    UT_Vector3 surfaceIntensity;
    bool myValid = false;
};

// Traces against a collider prepared for the cook. Renews the data ids of the
// collider's gathered attributes, as every gathering does. position and
// direction are replaced at every bounce that finds a hit; the direction is
// never normalised here.
BounceResult traceBounces(UT_Vector3 &position, UT_Vector3 &direction, const Collider &collider, int32_t bounces);

// One bounce in two steps, for callers that trace many rays: while the
// search for one ray runs, the surface values of the previous ray's hit are
// on their way into the cache. searchBounce finds the hit; finishBounce then
// gives exactly the result of traceBounces(origin, direction, collider, 1).
// The data ids are left to the caller (renewDataIds): renewing them from
// many threads at once would make every ray wait for the others.
struct PendingBounce
{
    UT_Vector3 origin;
    UT_Vector3 direction;
    ColliderHit hit;
    bool found = false;
};

void searchBounce(PendingBounce &bounce, const Collider &collider);
// Renews the collider's data ids for a batch of `rays` traced rays: once,
// unless the batch is empty. The ids end up new, as after `rays` calls of
// traceBounces, only fewer ids are used up.
void renewDataIds(const Collider &collider, size_t rays);
BounceResult finishBounce(const PendingBounce &bounce, const Collider &collider);

// Traces against a collider detail, gathering its lists for this one call and
// searching exhaustively.
BounceResult traceBounces(UT_Vector3 &position, UT_Vector3 &direction, const GEO_Detail &collider, int32_t bounces);
