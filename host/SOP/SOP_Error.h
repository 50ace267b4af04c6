// Message codes of geometry nodes.
//
// A geometry node adds its messages with SOP_Node::addError(),
// addWarning() or addMessage() under one of these codes. The message shown
// is the code's wording followed by ": " and the node's text; SOP_MESSAGE
// has no wording of its own, so its text appears exactly as given.
#pragma once

#include <UT/UT_API.h>

enum SOP_ErrorCodes
{
    SOP_ERR_INVALID_SRC = 0,    // an input that gives no usable geometry
    SOP_ERR_BADGROUP = 1,       // a group that does not exist or cannot be parsed
    SOP_ERR_BAD_ATTRIBUTE = 2,  // a required attribute is missing or of the wrong kind
    SOP_ERR_BAD_PARM = 3,       // a parameter value outside what the node accepts
    SOP_MESSAGE = 4,            // free text
    SOP_ERR_INTERRUPTED = 5,    // the cook was interrupted by the user
    SOP_ERR_TOO_LARGE = 6       // the result would exceed what the geometry can hold
};

// The wording of a code; empty for SOP_MESSAGE.
UT_API const char *SOPgetErrorText(int code);
