#include <PRM/PRM_Template.h>

PRM_Template::PRM_Template(PRM_Type type, int vectorSize, PRM_Name *name, PRM_Default *defaults,
                           PRM_ChoiceList *choices, PRM_Range *range, PRM_Callback callback, PRM_SpareData *spare,
                           int parmGroup, const char *helpText, const PRM_ConditionalBase *condition)
    : myType(type), myVectorSize(vectorSize), myName(name), myDefaults(defaults), myChoices(choices), myRange(range),
      myCallback(callback), mySpare(spare), myParmGroup(parmGroup), myHelpText(helpText), myCondition(condition)
{}

fpreal PRM_Template::getDefaultFloat(int component) const
{
    if (!myDefaults || component < 0 || component >= myVectorSize)
        return 0;
    return myDefaults[component].getFloat();
}

const char *PRM_Template::getDefaultString(int component) const
{
    if (!myDefaults || component < 0 || component >= myVectorSize)
        return "";
    const char *text = myDefaults[component].getString();
    return text ? text : "";
}

int PRM_Template::countTemplates(const PRM_Template *list)
{
    int count = 0;
    if (list)
        while (list[count].getType() != PRM_LIST_TERMINATOR)
            ++count;
    return count;
}
