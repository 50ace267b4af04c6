// Definitions of GA_DataArray's three-float getter and setter templates.
//
// They live apart from GA_DataArray.h because they need the numeric attribute
// class; GA/GA_ATINumeric.h includes this file, so any code that can name a
// numeric attribute can instantiate them. Every call checks that the attribute
// is numeric, that its storage is the element type ET and its layout the one
// the template reads, that it has three components or more and that the
// offset is in range. When a check fails the getter returns the zero vector
// and the setter writes nothing: an accessor chosen for the wrong attribute
// never reads or writes outside the attribute's pages.
#pragma once

#include <GA/GA_ATINumeric.h>
#include <GA/GA_Convert.h>
#include <cstddef>

// The numeric attribute behind attrib when it holds three or more components
// of ET in the given layout and off is one of its elements; null otherwise.
template <typename ET>
inline const GA_ATINumeric *GAnumericForAccess(const GA_Attribute *attrib, GA_StorageLayout layout, GA_Offset off)
{
    if (!attrib || &attrib->getType() != &GA_ATINumeric::theAttributeType)
        return nullptr;
    const GA_ATINumeric *numeric = static_cast<const GA_ATINumeric *>(attrib);
    if (numeric->getStorage() != GA_StorageOf<ET>::value || numeric->getLayout() != layout ||
        numeric->getTupleSize() < 3 || off < 0 || off >= numeric->size())
        return nullptr;
    return numeric;
}

// Layout GA_LAYOUT_COMPONENTS: components 0, 1 and 2 come from three arrays.
template <typename VT, typename ET>
VT GA_DataArray::directGetterVector(const GA_Attribute *attrib, GA_Offset off)
{
    typedef typename VT::value_type FT;
    const GA_ATINumeric *numeric = GAnumericForAccess<ET>(attrib, GA_LAYOUT_COMPONENTS, off);
    if (!numeric)
        return VT();
    const GA_DataArrayTuple &data = numeric->getData();
    return VT(GAconvertValue<FT>(*data.array(0).tupleAt<ET>(off)), GAconvertValue<FT>(*data.array(1).tupleAt<ET>(off)),
              GAconvertValue<FT>(*data.array(2).tupleAt<ET>(off)));
}

template <typename VT, typename ET>
void GA_DataArray::directSetterVector(GA_Attribute *attrib, GA_Offset off, const VT &value)
{
    const GA_ATINumeric *numeric = GAnumericForAccess<ET>(attrib, GA_LAYOUT_COMPONENTS, off);
    if (!numeric)
        return;
    GA_DataArrayTuple &data = static_cast<GA_ATINumeric *>(attrib)->getData();
    for (std::size_t i = 0; i < 3; ++i)
    {
        const ET element = GAconvertValue<ET>(value[i]);
        data.array(int(i)).setTupleBytes(off, &element);
    }
}

// Layout GA_LAYOUT_INTERLEAVED: the first three components of one tuple.
template <typename VT, typename ET>
VT GA_DataArray::directVector3GetterVector(const GA_Attribute *attrib, GA_Offset off)
{
    typedef typename VT::value_type FT;
    const GA_ATINumeric *numeric = GAnumericForAccess<ET>(attrib, GA_LAYOUT_INTERLEAVED, off);
    if (!numeric)
        return VT();
    const ET *tuple = numeric->getData().array(0).tupleAt<ET>(off);
    return VT(GAconvertValue<FT>(tuple[0]), GAconvertValue<FT>(tuple[1]), GAconvertValue<FT>(tuple[2]));
}

template <typename VT, typename ET>
void GA_DataArray::directVector3SetterVector(GA_Attribute *attrib, GA_Offset off, const VT &value)
{
    const GA_ATINumeric *numeric = GAnumericForAccess<ET>(attrib, GA_LAYOUT_INTERLEAVED, off);
    if (!numeric)
        return;
    const ET elements[3] = {GAconvertValue<ET>(value[0]), GAconvertValue<ET>(value[1]), GAconvertValue<ET>(value[2])};
    static_cast<GA_ATINumeric *>(attrib)->getData().array(0).setComponentBytes(off, 0, 3, elements);
}
