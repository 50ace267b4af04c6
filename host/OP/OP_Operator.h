// A node type: its names, how to build a node of it, its parameters, its
// inputs and outputs, and its local variables.
//
// A plug-in builds one with new and hands it to OP_OperatorTable::
// addOperator(), which owns it from then on. The names and input labels are
// copied; the parameter templates and the local variable table are used in
// place, so they must live as long as the operator (static objects of the
// plug-in). An operator that came from a plug-in holds that library open
// (see UT_DSO): the constructor function and the templates are code and data
// of the library.
#pragma once

#include <CH/CH_LocalVariable.h>
#include <PRM/PRM_Template.h>
#include <UT/UT_API.h>

#include <memory>
#include <string>
#include <vector>

class OP_Network;
class OP_Node;
class OP_Operator;
class UT_DSO;

// Builds a node of the type inside parent; null when the node cannot be made.
typedef OP_Node *(*OP_Constructor)(OP_Network *parent, const char *name, OP_Operator *op);

// Operator flags the host acts on; other bits are carried for the node type.
enum : unsigned
{
    OP_FLAG_GENERATOR = 0x1  // makes geometry of its own rather than from inputs
};

class UT_API OP_Operator
{
public:
    // inputLabels: null, or labels of the inputs in order, read up to
    // maxInputs entries or a null entry, whichever comes first.
    // subMenuPath: where a user interface lists the type; null for the top.
    OP_Operator(const char *name, const char *english, OP_Constructor construct, PRM_Template *templates,
                unsigned minInputs, unsigned maxInputs = 9999, CH_LocalVariable *variables = nullptr,
                unsigned flags = 0, const char **inputLabels = nullptr, int maxOutputs = 1,
                const char *subMenuPath = nullptr);
    virtual ~OP_Operator();
    OP_Operator(const OP_Operator &) = delete;
    OP_Operator &operator=(const OP_Operator &) = delete;

    const std::string &getName() const { return myName; }
    const std::string &getEnglish() const { return myEnglish; }
    OP_Constructor getConstructor() const { return myConstructor; }
    PRM_Template *getParmTemplates() const { return myTemplates; }
    unsigned minInputs() const { return myMinInputs; }
    unsigned maxInputs() const { return myMaxInputs; }
    CH_LocalVariable *getVariables() const { return myVariables; }
    unsigned getFlags() const { return myFlags; }
    int maxOutputs() const { return myMaxOutputs; }
    const std::string &getSubMenuPath() const { return mySubMenuPath; }

    // Label of input idx, or an empty string when none was given.
    const std::string &getInputLabel(unsigned idx) const;
    // "Input 2" or "Input 2 (Collider)": how messages name input idx
    // (inputs are counted from 1 for users).
    std::string describeInput(unsigned idx) const;
    // The local variable named name, or null.
    const CH_LocalVariable *findVariable(const char *name) const;

    // The library the type came from, null for types built into the program.
    const std::shared_ptr<UT_DSO> &getLibrary() const { return myLibrary; }
    void setLibrary(std::shared_ptr<UT_DSO> library) { myLibrary = std::move(library); }

private:
    std::string myName;
    std::string myEnglish;
    OP_Constructor myConstructor;
    PRM_Template *myTemplates;
    unsigned myMinInputs;
    unsigned myMaxInputs;
    CH_LocalVariable *myVariables;
    unsigned myFlags;
    std::vector<std::string> myInputLabels;
    int myMaxOutputs;
    std::string mySubMenuPath;
    std::shared_ptr<UT_DSO> myLibrary;
};
