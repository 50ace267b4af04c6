// A geometry node that outputs a detail handed to it by the program.
//
// This is how a program (or a test) feeds geometry into a network: create a
// node of type "source", give it a detail with setDetail() and wire it to a
// consumer's input. The node outputs the very detail it holds, not a copy,
// so consumers see (and may give new data ids to) that detail; they are not
// meant to change its contents. A program that changes the detail in place
// calls setDetail() again (or forceRecook()) so consumers recook. Without a
// detail the output is empty and
// inputGeo() on a consumer gives null.
//
//   OP_OperatorTable table;
//   SOP_Source::registerOperator(table);
//   OP_Network net("obj", &table);
//   auto *points = static_cast<SOP_Source *>(net.createNode("source", "points"));
//   points->setDetail(std::make_shared<GU_Detail>(myDetail));
//   node->setInput(0, points);
#pragma once

#include <GU/GU_DetailHandle.h>
#include <OP/OP_OperatorTable.h>
#include <SOP/SOP_Node.h>
#include <UT/UT_API.h>

#include <iosfwd>
#include <memory>

class UT_API SOP_Source : public SOP_Node
{
public:
    // Type name under which registerOperator() adds the node type.
    static constexpr const char *theTypeName = "source";

    // Adds the "source" node type (no inputs, one output, no parameters).
    static bool registerOperator(OP_OperatorTable &table, std::ostream *err = nullptr);
    static OP_Node *myConstructor(OP_Network *parent, const char *name, OP_Operator *op);

    // The detail to output from the next cook on; marks the node for recook.
    void setDetail(const GU_DetailHandle &detail);
    void setDetail(std::shared_ptr<GU_Detail> detail);
    const GU_DetailHandle &getDetail() const { return myDetail; }

protected:
    SOP_Source(OP_Network *parent, const char *name, OP_Operator *op);
    OP_ERROR cookMySop(OP_Context &context) override;

private:
    GU_DetailHandle myDetail;
};
