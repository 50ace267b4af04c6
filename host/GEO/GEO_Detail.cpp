#include <GEO/GEO_Detail.h>

#include <utility>

GEO_Detail::GEO_Detail() : myPointMap(myPointAttribs) {}

GEO_Detail::GEO_Detail(const GEO_Detail &src) : myPointMap(myPointAttribs) { copy(src); }

GEO_Detail &GEO_Detail::operator=(const GEO_Detail &src)
{
    copy(src);
    return *this;
}

GEO_Detail::~GEO_Detail() = default;

void GEO_Detail::copy(const GEO_Detail &src)
{
    if (&src == this)
        return;
    clearAndDestroy();
    // Cloned attributes share every page with the source, so copying costs
    // one reference per page until either side writes.
    for (GA_Size i = 0; i < src.myPointAttribs.entries(); ++i)
        myPointAttribs.add(src.myPointAttribs.entry(i)->clone());
    myPointMap.adoptSize(src.myPointMap.indexSize());
    myVertexPoints = src.myVertexPoints;
    for (GA_Size j = 0; j < src.myPrims.entries(); ++j)
        myPrims.append(std::unique_ptr<GEO_Primitive>(src.myPrims.rawEntry(j)->cloneInto(this)));
}

void GEO_Detail::clearAndDestroy()
{
    myPrims.clear();
    myVertexPoints.clear();
    myPointAttribs.clear();
    myPointMap.adoptSize(0);
}

GA_ATINumeric *GEO_Detail::addNumericPointAttribute(const std::string &name, int tupleSize, GA_Storage storage,
                                                    GA_StorageLayout layout, int32_t typeInfo,
                                                    const std::vector<double> &defaults)
{
    if (!GA_ATINumeric::isValidLayout(storage, layout, tupleSize) || myPointAttribs.find(name))
        return nullptr;
    auto attrib = std::make_unique<GA_ATINumeric>(name, tupleSize, storage, layout, defaults);
    attrib->setTypeInfo(typeInfo);
    attrib->setSize(getNumPoints());
    return static_cast<GA_ATINumeric *>(myPointAttribs.add(std::move(attrib)));
}

GA_ATINumeric *GEO_Detail::addFloatTuple3(const std::string &name, int32_t typeInfo,
                                          const std::vector<double> &defaults)
{
    return addNumericPointAttribute(name, 3, GA_STORE_REAL32, GA_LAYOUT_INTERLEAVED, typeInfo, defaults);
}

GA_ATIString *GEO_Detail::addStringPointAttribute(const std::string &name, int tupleSize)
{
    if (tupleSize < 1 || myPointAttribs.find(name))
        return nullptr;
    auto attrib = std::make_unique<GA_ATIString>(name, tupleSize);
    attrib->setSize(getNumPoints());
    return static_cast<GA_ATIString *>(myPointAttribs.add(std::move(attrib)));
}

GEO_PrimPoly *GEO_Detail::appendPolygon(const GA_Offset *points, GA_Size count, bool closed)
{
    if (count < 0 || (count > 0 && !points))
        return nullptr;
    for (GA_Size k = 0; k < count; ++k)
        if (points[k] < 0 || points[k] >= getNumPoints())
            return nullptr;
    std::vector<GA_Offset> vertices(static_cast<size_t>(count));
    for (GA_Size k = 0; k < count; ++k)
    {
        vertices[size_t(k)] = GA_Offset(myVertexPoints.size());
        myVertexPoints.push_back(points[k]);
    }
    auto poly = std::make_unique<GEO_PrimPoly>(this, std::move(vertices), closed);
    return static_cast<GEO_PrimPoly *>(myPrims.append(std::move(poly)));
}
