// Result and message codes of the node library.
//
// A cook returns its node's highest message severity (OP_ERROR is the
// severity type under the node library's name). Messages raised by the node
// library itself, rather than by a node type, carry one of OP_ErrorCodes
// under the type "OP".
#pragma once

#include <UT/UT_API.h>
#include <UT/UT_Error.h>

typedef UT_ErrorSeverity OP_ERROR;

enum OP_ErrorCodes
{
    OP_ERR_ANYTHING = 0,        // free text, shown as given
    OP_ERR_MISSING_INPUT = 1,   // a required input is not connected
    OP_ERR_INPUT_FAILED = 2,    // an input's cook failed
    OP_ERR_BAD_PARAMETER = 3,   // a parameter token or component that the node does not have
    OP_ERR_PARAMETER_TYPE = 4,  // a parameter evaluated as a type it cannot give
    OP_ERR_BAD_OUTPUT = 5,      // an output index the node does not have
    OP_ERR_COOK_EXCEPTION = 6,  // the cook ended by throwing
    OP_ERR_RECURSIVE_COOK = 7,  // a node was asked to cook while cooking
    OP_ERR_INTERRUPTED = 8      // the cook was interrupted
};

// The text shown for a code: the code's own wording, followed by ": " and
// the detail text when one is given; OP_ERR_ANYTHING shows the detail alone.
UT_API const char *OPgetErrorText(int code);
