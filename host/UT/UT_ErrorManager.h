// The messages a node collects while it cooks.
//
// Every message carries the library that raised it ("OP", "SOP"), a code
// whose meaning that library defines, a severity and its text. The node's
// severity is the highest one held; UT_ERROR_ABORT (4) or more means the
// cook failed. Adding the same message twice keeps one copy, so a loop that
// reports the same problem on every iteration does not flood the list.
//
// Not synchronised: a node's messages are written by the thread cooking it.
#pragma once

#include <UT/UT_API.h>
#include <UT/UT_Error.h>

#include <string>
#include <vector>

struct UT_ErrorRecord
{
    std::string type;  // raising library, e.g. "SOP"
    int code;
    UT_ErrorSeverity severity;
    std::string message;  // full text as shown to the user
};

class UT_API UT_ErrorManager
{
public:
    // Adds a message and returns the manager's severity afterwards.
    UT_ErrorSeverity addGeneric(const char *type, int code, const char *message, UT_ErrorSeverity severity);
    UT_ErrorSeverity getSeverity() const { return mySeverity; }
    void clearAndDestroyErrors();

    int getNumErrors() const { return int(myErrors.size()); }
    const UT_ErrorRecord &getError(int i) const { return myErrors[size_t(i)]; }
    // True when a message of this library and code is held.
    bool hasCode(const char *type, int code) const;
    // The messages of at least minSeverity, one per line, each prefixed
    // with its severity ("Warning: ...").
    std::string getErrorMessages(UT_ErrorSeverity minSeverity = UT_ERROR_MESSAGE) const;

private:
    std::vector<UT_ErrorRecord> myErrors;
    UT_ErrorSeverity mySeverity = UT_ERROR_NONE;
};

// The word a severity is shown with ("Error", "Warning", ...).
UT_API const char *UTgetSeverityLabel(UT_ErrorSeverity severity);
