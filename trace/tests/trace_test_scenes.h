// Small scenes shared by the tracing tests.
#pragma once

#include <GU/GU_Detail.h>
#include <UT/UT_Vector3.h>
#include <vector>

namespace trace_test
{

inline void setVector(GA_Attribute *attrib, GA_Offset off, const UT_Vector3 &v)
{
    GA_ATINumeric *numeric = static_cast<GA_ATINumeric *>(attrib);
    for (int c = 0; c < 3; ++c)
        numeric->setDouble(off, c, v[c]);
}

inline UT_Vector3 getVector(const GA_Attribute *attrib, GA_Offset off)
{
    const GA_ATINumeric *numeric = static_cast<const GA_ATINumeric *>(attrib);
    return UT_Vector3(float(numeric->getDouble(off, 0)), float(numeric->getDouble(off, 1)),
                      float(numeric->getDouble(off, 2)));
}

// A collider: triangles given by their corners, each corner its own point,
// carrying a direction value and (optionally) an intensity value.
struct ColliderBuilder
{
    GU_Detail gdp;
    GA_Attribute *P = gdp.addFloatTuple3("P", 1);
    GA_Attribute *N = gdp.addFloatTuple3("N", 3);
    GA_Attribute *I = nullptr;

    explicit ColliderBuilder(bool withIntensity = true)
    {
        if (withIntensity)
            I = gdp.addFloatTuple3("Cs", 4);
    }

    void triangle(const UT_Vector3 &a, const UT_Vector3 &b, const UT_Vector3 &c, const UT_Vector3 &dir,
                  const UT_Vector3 &intensity = UT_Vector3(1, 1, 1))
    {
        const GA_Offset first = gdp.appendPointBlock(3);
        const UT_Vector3 corners[3] = {a, b, c};
        for (int k = 0; k < 3; ++k)
        {
            setVector(P, first + k, corners[k]);
            setVector(N, first + k, dir);
            if (I)
                setVector(I, first + k, intensity);
        }
        gdp.appendPolygon({first, first + 1, first + 2});
    }

    // The example triangle (0,0,0), (1,0,0), (0,1,0), met from below (+Z).
    void unitTriangle(const UT_Vector3 &dir = UT_Vector3(0, 0, 1), const UT_Vector3 &intensity = UT_Vector3(1, 1, 1))
    {
        triangle(UT_Vector3(0, 0, 0), UT_Vector3(1, 0, 0), UT_Vector3(0, 1, 0), dir, intensity);
    }

    // A closed cube [-h, h]^3 met from inside, surface direction the inward
    // normal: every ray from inside hits a wall.
    void room(float h, const UT_Vector3 &intensity = UT_Vector3(1, 1, 1));
};

// A first input: points with position, direction and intensity attributes.
struct PointsBuilder
{
    GU_Detail gdp;
    GA_Attribute *P = gdp.addFloatTuple3("P", 1);
    GA_Attribute *D = gdp.addFloatTuple3("dir", 3);
    GA_Attribute *I = gdp.addFloatTuple3("energy", 4);

    GA_Offset point(const UT_Vector3 &p, const UT_Vector3 &d, const UT_Vector3 &i = UT_Vector3(1, 1, 1))
    {
        const GA_Offset off = gdp.appendPointBlock(1);
        setVector(P, off, p);
        setVector(D, off, d);
        setVector(I, off, i);
        return off;
    }
};

}  // namespace trace_test
