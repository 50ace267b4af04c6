// The catalogue of node types that a network can create nodes of.
//
// addOperator() takes ownership of the operator whatever it answers (unless
// it is the very operator already registered): an operator it refuses (a duplicate name, no name, no constructor, more
// minimum than maximum inputs, a template list with an unnamed or repeated
// token) is destroyed at once and the pointer must not be used again. This
// way a plug-in that ignores the answer neither leaks the operator nor
// leaves a half-registered type behind.
//
// Operators are held by shared ownership: a node keeps its operator (and the
// operator its plug-in library) alive, so destroying the table before the
// nodes made from it is safe. While loadSopPlugin() runs a plug-in's
// registration entry, every operator added is tagged with that library.
#pragma once

#include <OP/OP_Operator.h>
#include <UT/UT_API.h>

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

class UT_API OP_OperatorTable
{
public:
    explicit OP_OperatorTable(const char *tableName = "Sop");
    ~OP_OperatorTable();
    OP_OperatorTable(const OP_OperatorTable &) = delete;
    OP_OperatorTable &operator=(const OP_OperatorTable &) = delete;

    // Registers op under its name. On refusal writes one line naming the
    // reason to err (when given) and destroys op.
    bool addOperator(OP_Operator *op, std::ostream *err = nullptr);

    OP_Operator *getOperator(const char *name) const;
    // The shared owner of a registered operator, empty when unknown.
    std::shared_ptr<OP_Operator> getOperatorRef(const char *name) const;
    int entries() const { return int(myOperators.size()); }
    // Operators in registration order.
    OP_Operator *getOperator(int i) const { return myOperators[size_t(i)].get(); }
    const std::string &getName() const { return myName; }

    // Opens path as a node plug-in (UT_DSO::openNodePlugin()) and calls its
    // newSopOperator() with this table. Returns the library, or null with
    // the reason in err. On success err receives the lines of any node type
    // the table refused (the plug-in loaded, but not all of its types did);
    // at least one type was added.
    std::shared_ptr<UT_DSO> loadSopPlugin(const char *path, std::string &err);

private:
    // Tags operators added until endLibrary() with library. endLibrary()
    // returns the refusals of that time, one per line, so the loader can
    // report them even though the plug-in passed no error stream.
    void beginLibrary(std::shared_ptr<UT_DSO> library);
    std::string endLibrary();
    bool checkOperator(const OP_Operator &op, std::string &why) const;
    void report(std::ostream *err, const std::string &line);

    std::string myName;
    std::vector<std::shared_ptr<OP_Operator>> myOperators;
    std::shared_ptr<UT_DSO> myLoadingLibrary;
    std::string myLoadingRefusals;
};
