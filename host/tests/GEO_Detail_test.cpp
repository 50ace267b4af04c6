#include <GEO/GEO_Detail.h>

#include <GU/GU_Detail.h>
#include <GU/GU_DetailHandle.h>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace
{
std::vector<GA_Offset> pointsOf(const GEO_Primitive *prim)
{
    std::vector<GA_Offset> points;
    for (GA_Size k = 0; k < prim->getVertexCount(); ++k)
        points.push_back(prim->getVertexElement(k).getPointIndex());
    return points;
}
}  // namespace

TEST(GEO_Detail, AddElementBlockAppendsPointsWithDefaults)
{
    GU_Detail gdp;
    GA_ATINumeric *p = gdp.addFloatTuple3("P", GA_TYPE_POINT, {1, 2, 3});
    GA_ATINumeric *id = gdp.addNumericPointAttribute("id", 1, GA_STORE_INT64, GA_LAYOUT_COMPONENTS, 0, {-4});
    GA_ATIString *name = gdp.addStringPointAttribute("name");
    GA_IndexMap &map = gdp.getPointMap();

    EXPECT_EQ(map.addElementBlock(1020), 0);
    p->setDouble(1019, 0, 42);
    id->setDouble(5, 0, 8);
    name->setString(7, "seven");
    EXPECT_EQ(map.addElementBlock(10), 1020);  // crosses into the second page
    EXPECT_EQ(map.addElementBlock(1), 1030);
    EXPECT_EQ(map.addElementBlock(0), GA_INVALID_OFFSET);
    EXPECT_EQ(gdp.getNumPoints(), 1031);

    // A later attribute is sized to the existing points.
    GA_ATINumeric *late = gdp.addNumericPointAttribute("late", 2, GA_STORE_UINT8, GA_LAYOUT_COMPONENTS, 0, {3});
    for (GA_Attribute *a : {static_cast<GA_Attribute *>(p), static_cast<GA_Attribute *>(id),
                            static_cast<GA_Attribute *>(name), static_cast<GA_Attribute *>(late)})
        EXPECT_EQ(a->size(), 1031) << a->getName();

    EXPECT_EQ(p->getDouble(1019, 0), 42);
    EXPECT_EQ(id->getDouble(5, 0), 8);
    EXPECT_EQ(name->getString(7), "seven");
    for (GA_Offset off : {GA_Offset(1020), GA_Offset(1030)})
    {
        EXPECT_EQ(p->getDouble(off, 0), 1);
        EXPECT_EQ(p->getDouble(off, 2), 3);
        EXPECT_EQ(id->getDouble(off, 0), -4);
        EXPECT_EQ(name->getString(off), "");
        EXPECT_EQ(late->getDouble(off, 1), 3);
    }
}

TEST(GEO_Detail, PolygonsOfAnySizeMapVerticesToPoints)
{
    GU_Detail gdp;
    gdp.appendPointBlock(6);
    const std::vector<std::vector<GA_Offset>> polys = {{0, 1, 2}, {2, 1, 3, 4}, {5}, {}, {0, 1, 2, 3, 4, 5}};
    for (const std::vector<GA_Offset> &points : polys)
        ASSERT_NE(gdp.appendPolygon(points), nullptr);

    // Refused: a point that does not exist; nothing is appended.
    EXPECT_EQ(gdp.appendPolygon({0, 6, 1}), nullptr);
    EXPECT_EQ(gdp.appendPolygon({-1, 0, 1}), nullptr);
    EXPECT_EQ(gdp.appendPolygon(nullptr, 3), nullptr);

    const GEO_PrimList &prims = gdp.primitives();
    ASSERT_EQ(prims.entries(), GA_Size(polys.size()));
    EXPECT_EQ(gdp.getNumVertices(), 14);  // one vertex per corner, none shared
    for (size_t j = 0; j < polys.size(); ++j)
    {
        const GEO_Primitive *prim = prims.rawEntry(GA_Index(j));
        EXPECT_EQ(prim->getTypeId(), GEO_PRIMPOLY);
        EXPECT_EQ(pointsOf(prim), polys[j]) << j;
    }
    // Corners at the same point are different vertices.
    EXPECT_NE(prims.rawEntry(0)->getVertexOffset(2), prims.rawEntry(1)->getVertexOffset(0));
    EXPECT_EQ(prims.rawEntry(1)->getPointOffset(3), 4);
    EXPECT_EQ(prims.rawEntry(1)->getPointOffset(4), GA_INVALID_OFFSET);
    EXPECT_EQ(GEO_Vertex(&gdp, 14).getPointIndex(), GA_INVALID_OFFSET);
}

TEST(GEO_Detail, CopySharesPagesAndClonesPrimitives)
{
    auto source = std::make_unique<GU_Detail>();
    source->appendPointBlock(2000);
    GA_ATINumeric *p = source->addFloatTuple3("P", GA_TYPE_POINT);
    source->addStringPointAttribute("tag")->setString(3, "three");
    p->setDouble(1500, 1, 6.5);
    source->appendPolygon({0, 1, 1999});
    source->appendPolygon({4, 5, 6, 7});

    GU_DetailHandle handle(std::make_shared<GU_Detail>(*source));
    GU_Detail &copy = *handle.gdpNC();
    GA_ATINumeric *copyP = static_cast<GA_ATINumeric *>(copy.findPointAttribute("P"));
    ASSERT_NE(copyP, nullptr);
    GA_PageTableV3 *srcTable = p->getData().getPageTableImplV3();
    GA_PageTableV3 *copyTable = copyP->getData().getPageTableImplV3();
    EXPECT_EQ(copyTable->page(0), srcTable->page(0));
    EXPECT_EQ(copyTable->page(1), srcTable->page(1));

    // A write through an accessor on the copy leaves the source alone.
    GA_DataArray::directVector3SetterVector<UT_Vector3F, float>(copyP, 1500, UT_Vector3F(1, 2, 3));
    EXPECT_NE(copyTable->page(1), srcTable->page(1));
    EXPECT_EQ(copyTable->page(0), srcTable->page(0));
    EXPECT_EQ(p->getDouble(1500, 1), 6.5);
    EXPECT_EQ(copyP->getDouble(1500, 1), 2.0);

    // The copy's primitives are its own and outlive the source.
    ASSERT_EQ(copy.primitives().entries(), 2);
    EXPECT_NE(copy.primitives().rawEntry(0), source->primitives().rawEntry(0));
    source.reset();
    EXPECT_EQ(pointsOf(copy.primitives().rawEntry(0)), (std::vector<GA_Offset>{0, 1, 1999}));
    EXPECT_EQ(pointsOf(copy.primitives().rawEntry(1)), (std::vector<GA_Offset>{4, 5, 6, 7}));
    EXPECT_EQ(static_cast<GA_ATIString *>(copy.findPointAttribute("tag"))->getString(3), "three");

    // Growing the copy keeps every offset; duplicate() replaces all contents.
    EXPECT_EQ(copy.appendPointBlock(1), 2000);
    EXPECT_EQ(copyP->getDouble(1500, 0), 1.0);
    GU_Detail other;
    other.appendPointBlock(3);
    other.addFloatTuple3("N", GA_TYPE_NORMAL);
    other.duplicate(copy);
    other.duplicate(other);
    EXPECT_EQ(other.getNumPoints(), 2001);
    EXPECT_EQ(other.findPointAttribute("N"), nullptr);
    EXPECT_EQ(other.primitives().entries(), 2);
    EXPECT_EQ(other.primitives().rawEntry(1)->getPointOffset(0), 4);

    other.clearAndDestroy();
    EXPECT_EQ(other.getNumPoints(), 0);
    EXPECT_EQ(other.getNumVertices(), 0);
    EXPECT_EQ(other.pointAttribs().entries(), 0);
}

// Copies and assignments build their own map, bound to their own attributes.
TEST(GEO_Detail, EachDetailsMapGrowsOnlyItsOwnAttributes)
{
    GU_Detail source;
    source.addFloatTuple3("P", GA_TYPE_POINT);
    source.appendPointBlock(4);
    GU_Detail copy(source);
    GU_Detail assigned;
    assigned = source;

    EXPECT_EQ(copy.getPointMap().addElementBlock(3), 4);
    EXPECT_EQ(assigned.getPointMap().addElementBlock(1), 4);
    EXPECT_EQ(source.getPointMap().addElementBlock(2), 4);
    EXPECT_EQ(copy.findPointAttribute("P")->size(), 7);
    EXPECT_EQ(assigned.findPointAttribute("P")->size(), 5);
    EXPECT_EQ(source.findPointAttribute("P")->size(), 6);

    copy.clearAndDestroy();
    copy.addFloatTuple3("N", GA_TYPE_NORMAL);
    EXPECT_EQ(copy.appendPointBlock(2), 0);
    EXPECT_EQ(copy.findPointAttribute("N")->size(), 2);
    EXPECT_EQ(source.getNumPoints(), 6);
}
