#include <OP/OP_Operator.h>

#include <UT/UT_DSO.h>

#include <cstring>

OP_Operator::OP_Operator(const char *name, const char *english, OP_Constructor construct, PRM_Template *templates,
                         unsigned minInputs, unsigned maxInputs, CH_LocalVariable *variables, unsigned flags,
                         const char **inputLabels, int maxOutputs, const char *subMenuPath)
    : myName(name ? name : ""), myEnglish(english ? english : ""), myConstructor(construct), myTemplates(templates),
      myMinInputs(minInputs), myMaxInputs(maxInputs), myVariables(variables), myFlags(flags), myMaxOutputs(maxOutputs),
      mySubMenuPath(subMenuPath ? subMenuPath : "")
{
    if (inputLabels)
        for (unsigned i = 0; i < maxInputs && inputLabels[i]; ++i)
            myInputLabels.emplace_back(inputLabels[i]);
}

// Defined here, where UT_DSO is complete, so that releasing the library
// reference compiles in the host library.
OP_Operator::~OP_Operator() = default;

const std::string &OP_Operator::getInputLabel(unsigned idx) const
{
    static const std::string theNone;
    return idx < myInputLabels.size() ? myInputLabels[idx] : theNone;
}

std::string OP_Operator::describeInput(unsigned idx) const
{
    std::string text = "Input " + std::to_string(idx + 1);
    const std::string &label = getInputLabel(idx);
    if (!label.empty())
        text += " (" + label + ")";
    return text;
}

const CH_LocalVariable *OP_Operator::findVariable(const char *name) const
{
    if (!name || !myVariables)
        return nullptr;
    for (const CH_LocalVariable *var = myVariables; var->name; ++var)
        if (std::strcmp(var->name, name) == 0)
            return var;
    return nullptr;
}
