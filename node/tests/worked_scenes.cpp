#include "node/tests/worked_scenes.h"

#include <cmath>
#include <gtest/gtest.h>

namespace node_test
{

void expectNear(const UT_Vector3 &actual, const UT_Vector3 &expected, float tolerance, const std::string &what)
{
    for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(actual[c], expected[c], tolerance) << what << ", component " << c;
}

void expectRelative(const UT_Vector3 &actual, const UT_Vector3 &expected, double tolerance, const std::string &what)
{
    for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(actual[c], expected[c], tolerance * std::fabs(expected[c])) << what << ", component " << c;
}

UT_Vector3 sum(const UT_Vector3 &a, const UT_Vector3 &b) { return UT_Vector3(a[0] + b[0], a[1] + b[1], a[2] + b[2]); }

UT_Vector3 difference(const UT_Vector3 &a, const UT_Vector3 &b)
{
    return UT_Vector3(a[0] - b[0], a[1] - b[1], a[2] - b[2]);
}

UT_Vector3 negated(const UT_Vector3 &v) { return UT_Vector3(-v[0], -v[1], -v[2]); }

double dotProduct(const UT_Vector3 &a, const UT_Vector3 &b)
{
    return double(a[0]) * b[0] + double(a[1]) * b[1] + double(a[2]) * b[2];
}

UT_Vector3 unit(const UT_Vector3 &v)
{
    const double length = std::sqrt(double(v[0]) * v[0] + double(v[1]) * v[1] + double(v[2]) * v[2]);
    return UT_Vector3(float(v[0] / length), float(v[1] / length), float(v[2] / length));
}

double falloff(double distance2) { return 1.0 / (2.0 * distance2 * distance2 + 1.0); }

UT_Vector3 times(const UT_Vector3 &a, const UT_Vector3 &b, double factor)
{
    return UT_Vector3(float(double(a[0]) * b[0] * factor), float(double(a[1]) * b[1] * factor),
                      float(double(a[2]) * b[2] * factor));
}

void addWall(trace_test::ColliderBuilder &collider, const UT_Vector3 &c, const UT_Vector3 &u, const UT_Vector3 &v,
             const UT_Vector3 &direction, const UT_Vector3 &factor)
{
    const UT_Vector3 cu = sum(c, u), cv = sum(c, v);
    collider.triangle(c, cu, cv, direction, factor);
    collider.triangle(cu, sum(cu, v), cv, direction, factor);
}

WallHit roomHit(const UT_Vector3 &origin, const UT_Vector3 &direction, double h)
{
    const UT_Vector3 d = unit(direction);
    double best = HUGE_VAL;
    int axis = 0;
    for (int a = 0; a < 3; ++a)
    {
        if (d[a] == 0)
            continue;
        const double t = ((d[a] > 0 ? h : -h) - origin[a]) / d[a];
        if (t < best)
        {
            best = t;
            axis = a;
        }
    }
    WallHit hit;
    for (int a = 0; a < 3; ++a)
    {
        hit.position[a] = float(origin[a] + best * d[a]);
        hit.turned[a] = a == axis ? d[a] : -d[a];
    }
    hit.distance2 = best * best;
    return hit;
}

}  // namespace node_test
