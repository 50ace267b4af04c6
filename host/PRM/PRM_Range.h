// The range a numeric parameter offers.
//
// Without a range object a parameter accepts any value. A range end that is
// restricted clamps values set on the parameter; an open end only suggests
// a span for a slider.
#pragma once

#include <UT/UT_Types.h>

class PRM_Range
{
public:
    constexpr PRM_Range(fpreal min = 0, fpreal max = 1, bool restrictMin = false, bool restrictMax = false)
        : myMin(min), myMax(max), myRestrictMin(restrictMin), myRestrictMax(restrictMax)
    {}

    fpreal getMin() const { return myMin; }
    fpreal getMax() const { return myMax; }
    bool isMinRestricted() const { return myRestrictMin; }
    bool isMaxRestricted() const { return myRestrictMax; }

    // value limited to the restricted ends.
    fpreal clamp(fpreal value) const
    {
        if (myRestrictMin && value < myMin)
            return myMin;
        if (myRestrictMax && value > myMax)
            return myMax;
        return value;
    }

private:
    fpreal myMin;
    fpreal myMax;
    bool myRestrictMin;
    bool myRestrictMax;
};
