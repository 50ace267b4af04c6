#include "trace/attribute_lists.h"

#include "contract/velkor_contract.h"

#include <GA/GA_ATINumeric.h>
#include <GA/GA_AttributeDict.h>

namespace
{

struct Accessors
{
    VectorGetter read = nullptr;
    VectorSetter write = nullptr;
};

template <typename ET>
Accessors componentAccessors()
{
    return {&GA_DataArray::directGetterVector<UT_Vector3T<float>, ET>,
            &GA_DataArray::directSetterVector<UT_Vector3T<float>, ET>};
}

template <typename ET>
Accessors interleavedAccessors()
{
    return {&GA_DataArray::directVector3GetterVector<UT_Vector3T<float>, ET>,
            &GA_DataArray::directVector3SetterVector<UT_Vector3T<float>, ET>};
}

// The accessors for a storage/layout pair; none for a pair outside the table.
Accessors chooseAccessors(int32_t storage, int32_t layout)
{
    if (layout == GA_LAYOUT_COMPONENTS)
    {
        switch (storage)
        {
        case GA_STORE_UINT8:
            return componentAccessors<uint8_t>();
        case GA_STORE_INT8:
            return componentAccessors<int8_t>();
        case GA_STORE_INT16:
            return componentAccessors<int16_t>();
        case GA_STORE_INT32:
            return componentAccessors<int32_t>();
        case GA_STORE_INT64:
            return componentAccessors<int64_t>();
        case GA_STORE_REAL16:
            return componentAccessors<fpreal16>();
        case GA_STORE_REAL32:
            return componentAccessors<float>();
        case GA_STORE_REAL64:
            return componentAccessors<double>();
        default:
            return {};
        }
    }
    if (layout == GA_LAYOUT_INTERLEAVED)
    {
        if (storage == GA_STORE_REAL32)
            return interleavedAccessors<float>();
        if (storage == GA_STORE_REAL64)
            return interleavedAccessors<double>();
    }
    return {};
}

UT_Array<AttributeHandle> *listFor(AttributeLists &lists, const GA_Attribute &attrib, ListKinds kinds)
{
    switch (velkor::attributeRole(attrib))
    {
    case velkor::AttributeRole::Position:
        return &lists.positions;
    case velkor::AttributeRole::Direction:
        return &lists.directions;
    case velkor::AttributeRole::Intensity:
        return kinds == ListKinds::All ? &lists.intensities : nullptr;
    case velkor::AttributeRole::None:
        break;
    }
    return nullptr;
}

}  // namespace

AttributeLists gatherAttributeLists(const GEO_Detail &gdp, HandleForm form, ListKinds kinds, DataIds dataIds)
{
    AttributeLists lists;
    for (GA_AttributeDict::iterator it = gdp.pointAttribs().begin(GA_SCOPE_ANY); !it.atEnd(); ++it)
    {
        GA_Attribute *attrib = it.attrib();
        if (!attrib)
            break;
        UT_Array<AttributeHandle> *list = listFor(lists, *attrib, kinds);
        if (!list)
            continue;

        GA_ATINumeric *numeric = static_cast<GA_ATINumeric *>(attrib);
        Accessors acc = chooseAccessors(numeric->getStorage(), numeric->getLayout());
        AttributeHandle h;
        h.attribute = attrib;
        h.read = acc.read;
        h.pageTable = numeric->getData().getPageTableImplV3();
        h.write = form == HandleForm::ReadWrite ? acc.write : nullptr;
        list->append(h);
        lists.gathered.append(attrib);
    }
    if (dataIds == DataIds::Renew)
        bumpDataIds(lists);
    return lists;
}

void bumpDataIds(const AttributeLists &lists)
{
    for (GA_Attribute *attrib : lists.gathered)
        if (attrib->getDataId() != -1)
            attrib->assignNewDataId();
}

void writeVectorShared(const AttributeHandle &h, GA_Offset off, const UT_Vector3 &value)
{
    if (!h.write)
        return;
    if (h.pageTable)
        h.pageTable->setTupleBytes(off, value.data());
    else
        h.write(h.attribute, off, value);
}
