// Decoded values written straight into attribute pages.
//
// The reader hands every decoded tuple, component or packing group to one of
// these sinks, which converts it to the attribute's storage and stores it
// under the page rules of the geometry (constant pages stay constant while
// they are written their own value). Values were range-checked when they
// were read, so the conversions here are exact or correctly rounded.
#pragma once

#include "io/geo/geo_values.h"

#include <GA/GA_ATINumeric.h>

#include <cstdint>
#include <memory>
#include <vector>

// Sinks into a numeric attribute whose elements start at offset `first`.
std::unique_ptr<ValueSink<double>> makeRealSink(GA_ATINumeric &attribute, GA_Offset first);
std::unique_ptr<ValueSink<int64_t>> makeIntegerSink(GA_ATINumeric &attribute, GA_Offset first);

// Passes components 0 to 2 on to `next` and counts the elements whose
// fourth component (the w of a homogeneous position) is not 1.
template <typename T>
class DropFourthSink : public ValueSink<T>
{
public:
    explicit DropFourthSink(ValueSink<T> &next) : myNext(next) {}
    void put(int64_t element, int64_t first, int64_t count, const T *values) override
    {
        for (int64_t k = 0; k < count; ++k)
            if (first + k == 3 && !(values[k] == T(1)))
                ++myNotOne;
        const int64_t kept = first >= 3 ? 0 : (first + count > 3 ? 3 - first : count);
        if (kept > 0)
            myNext.put(element, first, kept, values);
    }
    int64_t notOne() const { return myNotOne; }

private:
    ValueSink<T> &myNext;
    int64_t myNotOne = 0;
};

// Collects values element-major (string indices).
class CollectingSink : public ValueSink<int64_t>
{
public:
    CollectingSink(int64_t count, int64_t tupleSize)
        : myValues(static_cast<size_t>(count * tupleSize)), mySize(tupleSize)
    {}
    void put(int64_t element, int64_t first, int64_t count, const int64_t *values) override
    {
        for (int64_t k = 0; k < count; ++k)
            myValues[size_t(element * mySize + first + k)] = values[k];
    }
    const std::vector<int64_t> &values() const { return myValues; }

private:
    std::vector<int64_t> myValues;
    int64_t mySize;
};
