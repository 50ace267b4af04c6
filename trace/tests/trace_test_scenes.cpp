#include "trace/tests/trace_test_scenes.h"

namespace trace_test
{

void ColliderBuilder::room(float h, const UT_Vector3 &intensity)
{
    // Each face as two triangles whose normal cross(P1-P0, P2-P0) points out
    // of the cube, so that rays from inside meet their front.
    struct Face
    {
        int axis;
        float sign;
    };
    const Face faces[6] = {{0, 1}, {0, -1}, {1, 1}, {1, -1}, {2, 1}, {2, -1}};
    for (const Face &f : faces)
    {
        const int u = (f.axis + 1) % 3;
        const int v = (f.axis + 2) % 3;
        auto corner = [&](float a, float b) {
            UT_Vector3 p;
            p[f.axis] = f.sign * h;
            p[u] = a * h;
            p[v] = b * h;
            return p;
        };
        UT_Vector3 inward(0, 0, 0);
        inward[f.axis] = -f.sign;
        // (u, v, axis) is right-handed, so counter-clockwise in (u, v) has
        // its normal along +axis; swap the winding on the negative side.
        UT_Vector3 c00 = corner(-1, -1), c10 = corner(1, -1), c11 = corner(1, 1), c01 = corner(-1, 1);
        if (f.sign > 0)
        {
            triangle(c00, c10, c11, inward, intensity);
            triangle(c00, c11, c01, inward, intensity);
        }
        else
        {
            triangle(c00, c11, c10, inward, intensity);
            triangle(c00, c01, c11, inward, intensity);
        }
    }
}

}  // namespace trace_test
