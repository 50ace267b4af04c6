// A node's parameter values and its messages.
//
// Parameters are built from the node type's template list: one parameter
// per template, each with as many components as the template's vector size,
// starting at the template's factory defaults. Code reads them by token,
// component and time. The host has no animation channels, so a parameter's
// value is the same at every time; the time argument is accepted so that
// code written for an animated host reads the same.
//
// Conversions: an integer or toggle parameter read with evalFloat() gives its
// value exactly (below 2^53); a float parameter read with evalInt() gives
// the nearest integer (halves away from zero; NaN gives 0, values beyond the
// 64-bit range the nearest end). evalString() of a numeric parameter gives
// the shortest text that reads back as the same value.
//
// An unknown token, a component outside the vector, or a string parameter
// read as a number gives 0 and adds an error (UT_ERROR_ABORT, type "OP") to
// the node: asking for a parameter the node type does not declare is a fault
// in the node, and a silent 0 would hide it. Setting values reports such
// mistakes by returning false instead, leaving the node's messages alone.
#pragma once

#include <OP/OP_Error.h>
#include <PRM/PRM_Template.h>
#include <UT/UT_API.h>
#include <UT/UT_ErrorManager.h>
#include <UT/UT_String.h>
#include <UT/UT_Types.h>

#include <string>
#include <vector>

class UT_API OP_Parameters
{
public:
    virtual ~OP_Parameters();
    OP_Parameters(const OP_Parameters &) = delete;
    OP_Parameters &operator=(const OP_Parameters &) = delete;

    int getNumParms() const { return int(myParms.size()); }
    const PRM_Template *getParmTemplate(int index) const;
    // Index of the parameter with token, or -1.
    int findParmIndex(const char *token) const;
    bool hasParm(const char *token) const { return findParmIndex(token) >= 0; }

    exint evalInt(const char *token, int component, fpreal t) const;
    fpreal evalFloat(const char *token, int component, fpreal t) const;
    void evalString(UT_String &value, const char *token, int component, fpreal t) const;

    // False (value unchanged) for an unknown token or component, or a value
    // of a kind the parameter cannot hold. A restricted range end clamps;
    // a toggle stores 1 for any non-zero value. The template's callback runs
    // after the value is stored.
    bool setInt(const char *token, int component, fpreal t, exint value);
    bool setFloat(const char *token, int component, fpreal t, fpreal value);
    bool setString(const char *token, int component, fpreal t, const char *value);
    // Every parameter back to its factory defaults.
    void revertToDefaults();

    // The node's current highest message severity.
    UT_ErrorSeverity error() const { return myErrors.getSeverity(); }
    const UT_ErrorManager &getErrorManager() const { return myErrors; }
    // The node's messages, one per line ("Warning: ...").
    std::string getErrorMessages(UT_ErrorSeverity minSeverity = UT_ERROR_MESSAGE) const
    {
        return myErrors.getErrorMessages(minSeverity);
    }
    void clearErrors() { myErrors.clearAndDestroyErrors(); }

    // Adds a message of the node library; detail follows the code's wording.
    UT_ErrorSeverity opError(OP_ErrorCodes code, const char *detail = nullptr) const;
    UT_ErrorSeverity opWarning(OP_ErrorCodes code, const char *detail = nullptr) const;
    UT_ErrorSeverity opMessage(OP_ErrorCodes code, const char *detail = nullptr) const;

    // Adds a fully worded message. Const because evaluating a parameter may
    // report a fault in the node: messages are not part of its value.
    UT_ErrorSeverity appendError(const char *type, int code, const std::string &message,
                                 UT_ErrorSeverity severity) const;

protected:
    // templates: the node type's list, or null for no parameters.
    explicit OP_Parameters(const PRM_Template *templates);

    // Runs after a parameter's value changed.
    virtual void parmChanged(int index);

private:
    struct Parm
    {
        const PRM_Template *tmpl;
        std::vector<exint> ints;         // PRM_INT, PRM_TOGGLE
        std::vector<fpreal> floats;      // PRM_FLT
        std::vector<std::string> texts;  // PRM_STRING
    };

    const Parm *findForEval(const char *token, int component) const;
    Parm *findForSet(const char *token, int component);
    void resetParm(Parm &parm);
    void changed(int index, fpreal t);

    std::vector<Parm> myParms;
    mutable UT_ErrorManager myErrors;
};

// Joins a code's wording and the detail text: "wording: detail", or either
// alone when the other is empty.
UT_API std::string OPcomposeMessage(const char *wording, const char *detail);
