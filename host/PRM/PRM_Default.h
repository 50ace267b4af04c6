// The factory default of one parameter component.
//
// A number for numeric parameters (an integer parameter takes the number
// rounded to the nearest integer), a string for string parameters; a string
// parameter without a string defaults to empty text. The string meaning
// (0: literal) is carried for the node type; the host uses every string
// default literally. Like PRM_Name, a default does not own its string.
#pragma once

#include <UT/UT_Types.h>

class PRM_Default
{
public:
    constexpr PRM_Default(fpreal value = 0, const char *string = nullptr, int stringMeaning = 0)
        : myFloat(value), myString(string), myStringMeaning(stringMeaning)
    {}

    fpreal getFloat() const { return myFloat; }
    const char *getString() const { return myString; }
    int getStringMeaning() const { return myStringMeaning; }

private:
    fpreal myFloat;
    const char *myString;
    int myStringMeaning;
};
