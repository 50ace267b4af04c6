// Parameter types: what kind of value a parameter holds.
//
// A template list ends with a PRM_LIST_TERMINATOR record. Integer and toggle
// parameters hold 64-bit integers, float parameters doubles, string
// parameters text; every component of a vector parameter has the same type.
#pragma once

enum PRM_Type
{
    PRM_LIST_TERMINATOR = 0,
    PRM_INT = 1,
    PRM_FLT = 2,
    PRM_STRING = 3,
    PRM_TOGGLE = 4
};

// True for the types whose components are stored as numbers.
inline bool PRMisNumeric(PRM_Type type) { return type == PRM_INT || type == PRM_FLT || type == PRM_TOGGLE; }
