#include <SOP/SOP_Source.h>

#include <new>

namespace
{
PRM_Template theNoParameters[] = {PRM_Template()};
}

bool SOP_Source::registerOperator(OP_OperatorTable &table, std::ostream *err)
{
    return table.addOperator(
        new OP_Operator(theTypeName, "Source", myConstructor, theNoParameters, 0, 0, nullptr, OP_FLAG_GENERATOR), err);
}

OP_Node *SOP_Source::myConstructor(OP_Network *parent, const char *name, OP_Operator *op)
{
    return new (std::nothrow) SOP_Source(parent, name, op);
}

SOP_Source::SOP_Source(OP_Network *parent, const char *name, OP_Operator *op) : SOP_Node(parent, name, op) {}

void SOP_Source::setDetail(const GU_DetailHandle &detail)
{
    myDetail = detail;
    forceRecook();
}

void SOP_Source::setDetail(std::shared_ptr<GU_Detail> detail) { setDetail(GU_DetailHandle(std::move(detail))); }

OP_ERROR SOP_Source::cookMySop(OP_Context & /*context*/)
{
    setCurGdh(0, myDetail);
    return error();
}
