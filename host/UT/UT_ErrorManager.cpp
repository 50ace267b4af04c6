#include <UT/UT_ErrorManager.h>

UT_ErrorSeverity UT_ErrorManager::addGeneric(const char *type, int code, const char *message, UT_ErrorSeverity severity)
{
    UT_ErrorRecord record{type ? type : "", code, severity, message ? message : ""};
    bool known = false;
    for (const UT_ErrorRecord &held : myErrors)
    {
        if (held.code == record.code && held.severity == record.severity && held.type == record.type &&
            held.message == record.message)
        {
            known = true;
            break;
        }
    }
    if (!known)
        myErrors.push_back(std::move(record));
    if (severity > mySeverity)
        mySeverity = severity;
    return mySeverity;
}

void UT_ErrorManager::clearAndDestroyErrors()
{
    myErrors.clear();
    mySeverity = UT_ERROR_NONE;
}

bool UT_ErrorManager::hasCode(const char *type, int code) const
{
    for (const UT_ErrorRecord &held : myErrors)
        if (held.code == code && held.type == (type ? type : ""))
            return true;
    return false;
}

std::string UT_ErrorManager::getErrorMessages(UT_ErrorSeverity minSeverity) const
{
    std::string text;
    for (const UT_ErrorRecord &held : myErrors)
    {
        if (held.severity < minSeverity)
            continue;
        text += UTgetSeverityLabel(held.severity);
        text += ": ";
        text += held.message;
        text += '\n';
    }
    return text;
}

const char *UTgetSeverityLabel(UT_ErrorSeverity severity)
{
    switch (severity)
    {
    case UT_ERROR_NONE:
        return "None";
    case UT_ERROR_MESSAGE:
        return "Message";
    case UT_ERROR_PROMPT:
        return "Prompt";
    case UT_ERROR_WARNING:
        return "Warning";
    case UT_ERROR_ABORT:
        return "Error";
    case UT_ERROR_FATAL:
        return "Fatal error";
    }
    return "Error";
}
