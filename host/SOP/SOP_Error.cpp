#include <SOP/SOP_Error.h>

const char *SOPgetErrorText(int code)
{
    switch (code)
    {
    case SOP_ERR_INVALID_SRC:
        return "Invalid source";
    case SOP_ERR_BADGROUP:
        return "Invalid group";
    case SOP_ERR_BAD_ATTRIBUTE:
        return "Missing or unusable attribute";
    case SOP_ERR_BAD_PARM:
        return "Invalid parameter value";
    case SOP_MESSAGE:
        return "";
    case SOP_ERR_INTERRUPTED:
        return "Cook interrupted";
    case SOP_ERR_TOO_LARGE:
        return "Geometry too large";
    }
    return "Geometry node error";
}
