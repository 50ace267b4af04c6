#include <SOP/SOP_Node.h>

#include <OP/OP_Parameters.h>

#include <cstring>
#include <memory>

SOP_Node::SOP_Node(OP_Network *parent, const char *name, OP_Operator *op)
    : OP_Network(parent, name, op), gdp(nullptr), myGdpHandle(std::make_shared<GU_Detail>())
{
    gdp = myGdpHandle.gdpNC();
}

SOP_Node::~SOP_Node() = default;

OP_ERROR SOP_Node::cookMe(OP_Context &context)
{
    if (!myGdpHandle.isValid())
        myGdpHandle = GU_DetailHandle(std::make_shared<GU_Detail>());
    gdp = myGdpHandle.gdpNC();
    const int outputs = getOperator() && getOperator()->maxOutputs() > 1 ? getOperator()->maxOutputs() : 1;
    myOutputs.assign(size_t(outputs), GU_DetailHandle());
    myOutputs[0] = myGdpHandle;
    return cookMySop(context);
}

GU_DetailHandle SOP_Node::getCookedGeoHandle(OP_Context &context, int outputIdx)
{
    cook(context);
    return getOutputHandle(outputIdx);
}

const GU_Detail *SOP_Node::getCookedGeo(OP_Context &context, int outputIdx)
{
    cook(context);
    return getOutputHandle(outputIdx).gdp();
}

GU_DetailHandle SOP_Node::getOutputHandle(int outputIdx) const
{
    if (outputIdx < 0 || size_t(outputIdx) >= myOutputs.size())
        return GU_DetailHandle();
    return myOutputs[size_t(outputIdx)];
}

const GU_Detail *SOP_Node::inputGeo(int idx) const
{
    const OP_Node *input = idx >= 0 ? getInput(unsigned(idx)) : nullptr;
    const SOP_Node *sop = input ? input->castToSOPNode() : nullptr;
    if (!sop || !sop->hasCooked() || sop->myOutputs.empty())
        return nullptr;
    return sop->myOutputs[0].gdp();
}

OP_ERROR SOP_Node::duplicateSource(unsigned idx, OP_Context &context, GU_Detail *dest, bool /*clean*/)
{
    if (!dest)
        return addError(SOP_ERR_INVALID_SRC, "no detail to copy into");
    OP_Node *input = getInput(idx);
    if (!input)
    {
        dest->clearAndDestroy();
        return opError(OP_ERR_MISSING_INPUT, describeInput(idx).c_str());
    }
    input->cook(context);
    const GU_Detail *source = inputGeo(int(idx));
    if (!source)
    {
        dest->clearAndDestroy();
        return addError(SOP_ERR_INVALID_SRC, (describeInput(idx) + " has no geometry").c_str());
    }
    if (source != dest)
        dest->duplicate(*source);
    return error();
}

void SOP_Node::setCurGdh(unsigned idx, const GU_DetailHandle &gdh)
{
    if (idx >= myOutputs.size())
    {
        opError(OP_ERR_BAD_OUTPUT, std::to_string(idx).c_str());
        return;
    }
    myOutputs[idx] = gdh;
}

UT_ErrorSeverity SOP_Node::addError(SOP_ErrorCodes code, const char *msg)
{
    return appendError("SOP", code, OPcomposeMessage(SOPgetErrorText(code), msg), UT_ERROR_ABORT);
}

UT_ErrorSeverity SOP_Node::addWarning(SOP_ErrorCodes code, const char *msg)
{
    return appendError("SOP", code, OPcomposeMessage(SOPgetErrorText(code), msg), UT_ERROR_WARNING);
}

UT_ErrorSeverity SOP_Node::addMessage(SOP_ErrorCodes code, const char *msg)
{
    return appendError("SOP", code, OPcomposeMessage(SOPgetErrorText(code), msg), UT_ERROR_MESSAGE);
}

void SOP_Node::setCurPoint(GA_Index point, GA_Size pointCount)
{
    myCurPoint = point < 0 ? -1 : point;
    myCurPointCount = pointCount;
}

void SOP_Node::clearCurPoint()
{
    myCurPoint = -1;
    myCurPointCount = 0;
}

const char *SOP_Node::variableName(int index) const
{
    const CH_LocalVariable *vars = getOperator() ? getOperator()->getVariables() : nullptr;
    if (vars)
        for (const CH_LocalVariable *var = vars; var->name; ++var)
            if (var->id == index)
                return var->name;
    return nullptr;
}

bool SOP_Node::evalVariableValue(fpreal &value, int index, int thread)
{
    const char *name = hasCurPoint() ? variableName(index) : nullptr;
    if (name && std::strcmp(name, "PT") == 0)
    {
        value = fpreal(myCurPoint);
        return true;
    }
    if (name && std::strcmp(name, "NPT") == 0)
    {
        value = fpreal(myCurPointCount);
        return true;
    }
    return OP_Network::evalVariableValue(value, index, thread);
}

bool SOP_Node::evalVariableValue(UT_String &value, int index, int thread)
{
    fpreal number;
    if (SOP_Node::evalVariableValue(number, index, thread))
    {
        // PT and NPT are whole numbers.
        value = std::to_string(exint(number));
        return true;
    }
    return OP_Network::evalVariableValue(value, index, thread);
}
