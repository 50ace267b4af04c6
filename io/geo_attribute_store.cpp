#include "io/geo_attribute_store.h"

#include <GA/GA_ATINumeric.h>
#include <GA/GA_ATIString.h>

#include <string>

namespace
{
template <typename ET>
ET narrow(double value)
{
    // The reader already refused values beyond the storage's range.
    return ET(static_cast<float>(value));
}
template <>
double narrow<double>(double value)
{
    return value;
}
template <typename ET>
ET narrow(int64_t value)
{
    return static_cast<ET>(value); // range checked on reading
}

// Writes element-major values into the attribute's paged arrays, one whole
// tuple (interleaved) or one component per call.
template <typename ET, typename Source>
void fillArrays(GA_ATINumeric &attribute, const std::vector<Source> &values, GA_Offset first, int64_t count)
{
    GA_DataArrayTuple &data = attribute.getData();
    const int64_t size = attribute.getTupleSize();
    if (data.getLayout() == GA_LAYOUT_INTERLEAVED)
    {
        GA_DataArray &array = data.array(0);
        std::vector<ET> tuple(size_t(size));
        for (int64_t e = 0; e < count; ++e)
        {
            for (int64_t c = 0; c < size; ++c)
                tuple[size_t(c)] = narrow<ET>(values[size_t(e * size + c)]);
            array.setTupleBytes(first + e, tuple.data());
        }
        return;
    }
    for (int64_t c = 0; c < size; ++c)
    {
        GA_DataArray &array = data.array(int(c));
        for (int64_t e = 0; e < count; ++e)
        {
            const ET value = narrow<ET>(values[size_t(e * size + c)]);
            array.setTupleBytes(first + e, &value);
        }
    }
}

void fillNumeric(GA_ATINumeric &attribute, const DecodedAttribute &decoded, GA_Offset first, int64_t count)
{
    const std::vector<double> &reals = decoded.values.reals;
    const std::vector<int64_t> &integers = decoded.values.integers;
    switch (decoded.storage)
    {
    case GA_STORE_REAL16: fillArrays<fpreal16>(attribute, reals, first, count); break;
    case GA_STORE_REAL32: fillArrays<float>(attribute, reals, first, count); break;
    case GA_STORE_REAL64: fillArrays<double>(attribute, reals, first, count); break;
    case GA_STORE_UINT8: fillArrays<uint8_t>(attribute, integers, first, count); break;
    case GA_STORE_INT8: fillArrays<int8_t>(attribute, integers, first, count); break;
    case GA_STORE_INT16: fillArrays<int16_t>(attribute, integers, first, count); break;
    case GA_STORE_INT32: fillArrays<int32_t>(attribute, integers, first, count); break;
    case GA_STORE_INT64: fillArrays<int64_t>(attribute, integers, first, count); break;
    case GA_STORE_INVALID: break;
    }
}

void addOne(GeoReadContext &ctx, const DecodedAttribute &decoded, GU_Detail &gdp, GA_Offset first, int64_t count)
{
    GA_Attribute *created = nullptr;
    if (decoded.isString)
    {
        GA_ATIString *strings = gdp.addStringPointAttribute(decoded.name, int(decoded.tupleSize));
        if (strings)
        {
            const int64_t size = decoded.tupleSize;
            for (int64_t e = 0; e < count; ++e)
                for (int64_t c = 0; c < size; ++c)
                {
                    const int64_t index = decoded.stringIndices[size_t(e * size + c)];
                    if (index >= 0)
                        strings->setString(first + e, decoded.strings[size_t(index)], int(c));
                }
            strings->setTypeInfo(decoded.typeInfo);
        }
        created = strings;
    }
    else
    {
        const bool real = decoded.storage == GA_STORE_REAL32 || decoded.storage == GA_STORE_REAL64;
        const GA_StorageLayout layout = real ? GA_LAYOUT_INTERLEAVED : GA_LAYOUT_COMPONENTS;
        GA_ATINumeric *numeric = nullptr;
        if (GA_ATINumeric::isValidLayout(decoded.storage, layout, int(decoded.tupleSize)))
            numeric = gdp.addNumericPointAttribute(decoded.name, int(decoded.tupleSize), decoded.storage, layout,
                                                   decoded.typeInfo, decoded.defaults);
        if (numeric)
            fillNumeric(*numeric, decoded, first, count);
        created = numeric;
    }
    if (!created)
        failAt(ctx.path, "the geometry refused point attribute \"" + decoded.name + "\"");
    created->setScope(decoded.scope);
    if (decoded.typeInfo == GA_TYPE_UNKNOWN)
        ctx.info.typeTokens[decoded.name] = decoded.typeToken;
}
} // namespace

void addPointAttributes(GeoReadContext &ctx, const std::vector<DecodedAttribute> &attributes, GU_Detail &gdp)
{
    const int64_t count = gdp.getNumPoints();
    const GA_Offset first = count > 0 ? gdp.getPointMap().offsetFromIndex(0) : 0;
    for (const DecodedAttribute &decoded : attributes)
        if (decoded.name == "P")
            addOne(ctx, decoded, gdp, first, count);
    for (const DecodedAttribute &decoded : attributes)
        if (decoded.name != "P")
            addOne(ctx, decoded, gdp, first, count);
}
