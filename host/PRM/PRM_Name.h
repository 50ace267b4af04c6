// The token and label of a parameter (or of a menu item).
//
// The token is what code evaluates the parameter by; the label is what a
// user sees. Names do not own their text: they are built from string
// literals in static storage, as template lists are, and must outlive every
// template that points to them.
#pragma once

class PRM_Name
{
public:
    constexpr PRM_Name(const char *token = nullptr, const char *label = nullptr, int flags = 0)
        : myToken(token), myLabel(label), myFlags(flags)
    {}

    const char *getToken() const { return myToken; }
    // The label, or the token when no label was given.
    const char *getLabel() const { return myLabel ? myLabel : myToken; }
    int getFlags() const { return myFlags; }

private:
    const char *myToken;
    const char *myLabel;
    int myFlags;
};
