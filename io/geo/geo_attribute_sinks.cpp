#include "io/geo/geo_attribute_sinks.h"

#include <GA/GA_HalfRounding.h>

namespace
{
template <typename ET>
ET narrow(double value);
template <>
fpreal16 narrow<fpreal16>(double value)
{
    return GAhalfFromDouble(value);  // one rounding: through float would round twice
}
template <>
float narrow<float>(double value)
{
    return static_cast<float>(value);
}
template <>
double narrow<double>(double value)
{
    return value;
}
template <typename ET>
ET narrow(int64_t value)
{
    return static_cast<ET>(value);
}

// ET is the storage's element type, T the decoded type.
template <typename ET, typename T>
class AttributeSink : public ValueSink<T>
{
public:
    AttributeSink(GA_ATINumeric &attribute, GA_Offset first)
        : myData(attribute.getData()), myFirst(first), mySize(attribute.getTupleSize()),
          myInterleaved(myData.getLayout() == GA_LAYOUT_INTERLEAVED), myBuffer(static_cast<size_t>(mySize))
    {}

    void put(int64_t element, int64_t first, int64_t count, const T *values) override
    {
        const GA_Offset off = myFirst + element;
        if (myInterleaved)
        {
            for (int64_t k = 0; k < count; ++k)
                myBuffer[size_t(k)] = narrow<ET>(values[k]);
            if (first == 0 && count == mySize)
                myData.array(0).setTupleBytes(off, myBuffer.data());
            else
                myData.array(0).setComponentBytes(off, int(first), int(count), myBuffer.data());
            return;
        }
        for (int64_t k = 0; k < count; ++k)
        {
            const ET value = narrow<ET>(values[k]);
            myData.array(int(first + k)).setTupleBytes(off, &value);
        }
    }

private:
    GA_DataArrayTuple &myData;
    GA_Offset myFirst;
    int64_t mySize;
    bool myInterleaved;
    std::vector<ET> myBuffer;
};
}  // namespace

std::unique_ptr<ValueSink<double>> makeRealSink(GA_ATINumeric &attribute, GA_Offset first)
{
    switch (attribute.getStorage())
    {
    case GA_STORE_REAL16:
        return std::make_unique<AttributeSink<fpreal16, double>>(attribute, first);
    case GA_STORE_REAL32:
        return std::make_unique<AttributeSink<float, double>>(attribute, first);
    case GA_STORE_REAL64:
        return std::make_unique<AttributeSink<double, double>>(attribute, first);
    default:
        return nullptr;
    }
}

std::unique_ptr<ValueSink<int64_t>> makeIntegerSink(GA_ATINumeric &attribute, GA_Offset first)
{
    switch (attribute.getStorage())
    {
    case GA_STORE_UINT8:
        return std::make_unique<AttributeSink<uint8_t, int64_t>>(attribute, first);
    case GA_STORE_INT8:
        return std::make_unique<AttributeSink<int8_t, int64_t>>(attribute, first);
    case GA_STORE_INT16:
        return std::make_unique<AttributeSink<int16_t, int64_t>>(attribute, first);
    case GA_STORE_INT32:
        return std::make_unique<AttributeSink<int32_t, int64_t>>(attribute, first);
    case GA_STORE_INT64:
        return std::make_unique<AttributeSink<int64_t, int64_t>>(attribute, first);
    default:
        return nullptr;
    }
}
