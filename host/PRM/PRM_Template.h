// One parameter of a node type, as the node type declares it.
//
// A node type hands the host a static array of templates ended by a
// PRM_LIST_TERMINATOR record (the default-constructed template). The host
// builds each node's parameters from that list, so the list and everything
// it points to (names, defaults, menus, spare data) must stay alive for as
// long as the node type is registered: in practice, static objects of the
// plug-in, which the host keeps loaded while the type is in use.
//
// Condition and help text are carried for a user interface; the host does
// not evaluate them.
#pragma once

#include <PRM/PRM_ChoiceList.h>
#include <PRM/PRM_Default.h>
#include <PRM/PRM_Name.h>
#include <PRM/PRM_Range.h>
#include <PRM/PRM_SpareData.h>
#include <PRM/PRM_Type.h>
#include <UT/UT_API.h>
#include <UT/UT_Types.h>

class PRM_ConditionalBase;
class PRM_Template;

// Called after a parameter's value was set: data is the node holding the
// parameter (an OP_Parameters), index the parameter's position in its list.
// The return value is ignored.
typedef int (*PRM_Callback)(void *data, int index, fpreal t, const PRM_Template *tplate);

class UT_API PRM_Template
{
public:
    // defaults: null, or vectorSize entries, one per component.
    PRM_Template(PRM_Type type = PRM_LIST_TERMINATOR, int vectorSize = 1, PRM_Name *name = nullptr,
                 PRM_Default *defaults = nullptr, PRM_ChoiceList *choices = nullptr, PRM_Range *range = nullptr,
                 PRM_Callback callback = nullptr, PRM_SpareData *spare = nullptr, int parmGroup = 1,
                 const char *helpText = nullptr, const PRM_ConditionalBase *condition = nullptr);

    PRM_Type getType() const { return myType; }
    int getVectorSize() const { return myVectorSize; }
    const PRM_Name *getNamePtr() const { return myName; }
    // Token and label of the name, or null without a name.
    const char *getToken() const { return myName ? myName->getToken() : nullptr; }
    const char *getLabel() const { return myName ? myName->getLabel() : nullptr; }
    const PRM_Default *getFactoryDefaults() const { return myDefaults; }
    PRM_ChoiceList *getChoiceListPtr() const { return myChoices; }
    const PRM_Range *getRangePtr() const { return myRange; }
    PRM_Callback getCallback() const { return myCallback; }
    PRM_SpareData *getSparePtr() const { return mySpare; }
    int getParmGroup() const { return myParmGroup; }
    const char *getHelpText() const { return myHelpText; }
    const PRM_ConditionalBase *getConditionalBasePtr() const { return myCondition; }

    // Factory default of one component: 0 or empty text without defaults.
    fpreal getDefaultFloat(int component) const;
    const char *getDefaultString(int component) const;

    // Number of templates before the terminator of list (0 for null).
    static int countTemplates(const PRM_Template *list);

private:
    PRM_Type myType;
    int myVectorSize;
    PRM_Name *myName;
    PRM_Default *myDefaults;
    PRM_ChoiceList *myChoices;
    PRM_Range *myRange;
    PRM_Callback myCallback;
    PRM_SpareData *mySpare;
    int myParmGroup;
    const char *myHelpText;
    const PRM_ConditionalBase *myCondition;
};
