#include "prep/ear_clipping.h"

#include "prep/corner_grid.h"
#include "prep/polygon_geometry.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace
{
struct Point2
{
    double x, y;
};

// Twice the signed area of abc: positive when abc turns the polygon's way.
double turn(const Point2 &a, const Point2 &b, const Point2 &c)
{
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

double distance(const Point2 &a, const Point2 &b)
{
    return std::sqrt((b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y));
}

// The largest coordinate of the corners: the scale of their rounding.
double largestCoordinate(const std::vector<UT_Vector3> &corners)
{
    double largest = 0;
    for (const UT_Vector3 &c : corners)
        for (size_t k = 0; k < 3; ++k)
            largest = std::max(largest, std::fabs(double(c[k])));
    return largest;
}

// The corners in the plane across the area vector, in a frame (u, v) with
// u x v along the area vector, so the polygon runs counter-clockwise there.
std::vector<Point2> projectCorners(const std::vector<UT_Vector3> &corners, const UT_Vector3D &area)
{
    const double length = std::sqrt(area.x() * area.x() + area.y() * area.y() + area.z() * area.z());
    const UT_Vector3D n(area.x() / length, area.y() / length, area.z() / length);
    // u: across n and the axis n leans on least.
    const double ax = std::fabs(n.x()), ay = std::fabs(n.y()), az = std::fabs(n.z());
    UT_Vector3D axis(0, 0, 1);
    if (ax <= ay && ax <= az)
        axis = UT_Vector3D(1, 0, 0);
    else if (ay <= az)
        axis = UT_Vector3D(0, 1, 0);
    UT_Vector3D u(n.y() * axis.z() - n.z() * axis.y(), n.z() * axis.x() - n.x() * axis.z(),
                  n.x() * axis.y() - n.y() * axis.x());
    const double ul = std::sqrt(u.x() * u.x() + u.y() * u.y() + u.z() * u.z());
    u = UT_Vector3D(u.x() / ul, u.y() / ul, u.z() / ul);
    const UT_Vector3D v(n.y() * u.z() - n.z() * u.y(), n.z() * u.x() - n.x() * u.z(), n.x() * u.y() - n.y() * u.x());

    std::vector<Point2> points(corners.size());
    for (size_t i = 0; i < corners.size(); ++i)
    {
        const double dx = double(corners[i].x()) - double(corners[0].x());
        const double dy = double(corners[i].y()) - double(corners[0].y());
        const double dz = double(corners[i].z()) - double(corners[0].z());
        points[i] = {dx * u.x() + dy * u.y() + dz * u.z(), dx * v.x() + dy * v.y() + dz * v.z()};
    }
    return points;
}

// The polygon's remaining corners as a ring.
class Ring
{
public:
    Ring(const std::vector<UT_Vector3> &corners, std::vector<Point2> points)
        : myCorners(corners), myPoints(std::move(points)), myFlatHeight(std::ldexp(largestCoordinate(corners), -40)),
          myBentHeight(4.0 * double(std::numeric_limits<float>::epsilon()) * largestCoordinate(corners)),
          myPrev(myPoints.size()), myNext(myPoints.size()), myRemoved(myPoints.size(), false), myCount(myPoints.size()),
          myReflex(reflexPlaces())
    {}

    size_t count() const { return myCount; }
    size_t prev(size_t i) const { return myPrev[i]; }
    size_t next(size_t i) const { return myNext[i]; }
    // Corner i lies on the line through its neighbours (or they coincide),
    // up to the rounding of this double-precision arithmetic. Only such a
    // corner is dropped without a triangle: one off the line by even a unit
    // in the last place of its float coordinates is kept, in a thin
    // triangle, since dropping it would leave a crack along the face's edge.
    bool isFlatCorner(size_t i) const { return height(i) <= myFlatHeight; }
    bool isConvex(size_t i) const
    {
        return turn(myPoints[myPrev[i]], myPoints[i], myPoints[myNext[i]]) > 0 && !isFlatCorner(i);
    }
    // Corner i turns against the polygon by more than the rounding of float
    // coordinates, a few units in the last place of the largest. A finely
    // divided curve given in float is full of corners that turn back by
    // less; were they listed, every ear would have to look at them all. An
    // ear can hide such a corner only within that rounding.
    bool isReflex(size_t i) const
    {
        return turn(myPoints[myPrev[i]], myPoints[i], myPoints[myNext[i]]) < 0 && height(i) > myBentHeight;
    }

    void remove(size_t i)
    {
        const size_t p = myPrev[i], q = myNext[i];
        myNext[p] = q;
        myPrev[q] = p;
        myRemoved[i] = true;
        --myCount;
        // Only the neighbours' turns change.
        unlist(i);
        if (myListed[p] && !isReflex(p))
            unlist(p);
        if (myListed[q] && !isReflex(q))
            unlist(q);
    }

    // True when the triangle at corner i holds no other corner, on its
    // border included. Corners at the same place as one of the triangle's
    // own (a polygon touching itself) do not count.
    bool isEar(size_t i)
    {
        const size_t p = myPrev[i], q = myNext[i];
        const Point2 &a = myPoints[p], &b = myPoints[i], &c = myPoints[q];
        if (myListedCount == 0)
            return true;
        myReflex.gather(std::min({a.x, b.x, c.x}), std::min({a.y, b.y, c.y}), std::max({a.x, b.x, c.x}),
                        std::max({a.y, b.y, c.y}), myListed, myNearby);
        for (const size_t r : myNearby)
        {
            if (r == p || r == i || r == q || sameCorner(r, p) || sameCorner(r, i) || sameCorner(r, q))
                continue;
            const Point2 &x = myPoints[r];
            if (turn(a, b, x) >= 0 && turn(b, c, x) >= 0 && turn(c, a, x) >= 0)
                return false;
        }
        return true;
    }

private:
    // Lists the corners that turn against the polygon, with their places.
    std::vector<CornerPlace> reflexPlaces()
    {
        const size_t n = myPoints.size();
        for (size_t i = 0; i < n; ++i)
        {
            myPrev[i] = (i + n - 1) % n;
            myNext[i] = (i + 1) % n;
        }
        std::vector<CornerPlace> reflex;
        myListed.assign(n, false);
        for (size_t i = 0; i < n; ++i)
            if (isReflex(i))
            {
                reflex.push_back({i, myPoints[i].x, myPoints[i].y});
                myListed[i] = true;
            }
        myListedCount = reflex.size();
        return reflex;
    }
    void unlist(size_t i)
    {
        if (myListed[i])
        {
            myListed[i] = false;
            --myListedCount;
        }
    }
    // How far corner i lies from the line through its neighbours.
    double height(size_t i) const
    {
        const Point2 &a = myPoints[myPrev[i]], &b = myPoints[i], &c = myPoints[myNext[i]];
        const double base = distance(a, c);
        const double twiceArea = std::fabs(turn(a, b, c));
        // Neighbours at one place: a spike of no width, or a corner repeated.
        return base > 0 ? twiceArea / base : 0.0;
    }
    bool sameCorner(size_t r, size_t s) const { return myCorners[r] == myCorners[s]; }

    const std::vector<UT_Vector3> &myCorners;
    std::vector<Point2> myPoints;
    double myFlatHeight, myBentHeight;
    std::vector<size_t> myPrev, myNext;
    std::vector<bool> myRemoved;
    size_t myCount;
    std::vector<bool> myListed;  // in myReflex and still turning against the polygon
    size_t myListedCount = 0;
    CornerGrid myReflex;
    std::vector<size_t> myNearby;
};
}  // namespace

std::vector<CornerTriangle> clipEars(const std::vector<UT_Vector3> &corners)
{
    std::vector<CornerTriangle> triangles;
    const UT_Vector3D area = polygonAreaVector(corners);
    const double length2 = area.x() * area.x() + area.y() * area.y() + area.z() * area.z();
    if (corners.size() < 3 || !(length2 > 0) || !std::isfinite(length2))
        return triangles;
    if (corners.size() == 3)
    {
        triangles.push_back({0, 1, 2});
        return triangles;
    }
    triangles.reserve(corners.size() - 2);

    Ring ring(corners, projectCorners(corners, area));
    // The first ear tried is corner 1 and the search goes on from the corner
    // after each cut, so a convex polygon becomes the fan from corner 0: its
    // first triangle is the one the node has always used, and a finely
    // divided curve keeps triangles of some width rather than slivers
    // between neighbouring corners.
    size_t i = 1;
    size_t stepsWithoutCut = 0;
    while (ring.count() > 3)
    {
        const size_t p = ring.prev(i), q = ring.next(i);
        if (ring.isFlatCorner(i))
        {
            // No area here; the corner before may now be flat or an ear.
            ring.remove(i);
            i = p;
            stepsWithoutCut = 0;
            continue;
        }
        if (ring.isConvex(i) && ring.isEar(i))
        {
            triangles.push_back({p, i, q});
            ring.remove(i);
            i = q;
            stepsWithoutCut = 0;
            continue;
        }
        i = q;
        if (++stepsWithoutCut < ring.count())
            continue;
        // A whole turn without an ear: the projection crosses itself. Cut
        // the next corner that turns the polygon's way regardless, so the
        // polygon is still covered; with none left, what remains has no
        // area the polygon's way.
        size_t tried = 0;
        while (tried < ring.count() && !ring.isConvex(i))
        {
            i = ring.next(i);
            ++tried;
        }
        if (tried == ring.count())
            return triangles;
        triangles.push_back({ring.prev(i), i, ring.next(i)});
        const size_t after = ring.next(i);
        ring.remove(i);
        i = after;
        stepsWithoutCut = 0;
    }
    if (ring.isConvex(i))
        triangles.push_back({ring.prev(i), i, ring.next(i)});
    return triangles;
}
