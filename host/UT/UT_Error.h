// Error severities of the host.
//
// Severities are compared as numbers: anything at UT_ERROR_ABORT (4) or above
// stops work; warnings (3) and messages are reported but let a cook finish.
#pragma once

enum UT_ErrorSeverity
{
    UT_ERROR_NONE = 0,
    UT_ERROR_MESSAGE = 1,
    UT_ERROR_PROMPT = 2,
    UT_ERROR_WARNING = 3,
    UT_ERROR_ABORT = 4,
    UT_ERROR_FATAL = 5
};
