#include <OP/OP_Error.h>

const char *OPgetErrorText(int code)
{
    switch (code)
    {
    case OP_ERR_ANYTHING:
        return "";
    case OP_ERR_MISSING_INPUT:
        return "Required input is not connected";
    case OP_ERR_INPUT_FAILED:
        return "Input failed to cook";
    case OP_ERR_BAD_PARAMETER:
        return "Unknown parameter";
    case OP_ERR_PARAMETER_TYPE:
        return "Parameter cannot be read as this type";
    case OP_ERR_BAD_OUTPUT:
        return "Invalid output index";
    case OP_ERR_COOK_EXCEPTION:
        return "Cook failed with an exception";
    case OP_ERR_RECURSIVE_COOK:
        return "Node was asked to cook while cooking";
    case OP_ERR_INTERRUPTED:
        return "Cook interrupted";
    }
    return "Unknown error";
}
