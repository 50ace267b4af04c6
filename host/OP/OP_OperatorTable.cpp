#include <OP/OP_OperatorTable.h>

#include <UT/UT_DSO.h>

#include <exception>
#include <ostream>
#include <set>

namespace
{
// Deletes an operator and only then lets go of its library: an operator
// subclass defined in a plug-in runs library code while it is destroyed.
void deleteOperator(OP_Operator *op)
{
    std::shared_ptr<UT_DSO> library = op->getLibrary();
    delete op;
}

typedef void (*RegisterFunc)(OP_OperatorTable *);
}  // namespace

OP_OperatorTable::OP_OperatorTable(const char *tableName) : myName(tableName ? tableName : "") {}

OP_OperatorTable::~OP_OperatorTable() = default;

bool OP_OperatorTable::addOperator(OP_Operator *op, std::ostream *err)
{
    if (!op)
    {
        report(err, "Cannot add a null operator to the " + myName + " table");
        return false;
    }
    for (const std::shared_ptr<OP_Operator> &held : myOperators)
    {
        // Already ours: taking it again would give it two owners.
        if (held.get() == op)
        {
            report(err, "Operator \"" + op->getName() + "\" is already registered in the " + myName + " table");
            return false;
        }
    }
    if (myLoadingLibrary)
        op->setLibrary(myLoadingLibrary);
    std::shared_ptr<OP_Operator> owned(op, deleteOperator);

    std::string why;
    if (!checkOperator(*op, why))
    {
        report(err, "Operator \"" + op->getName() + "\" refused: " + why);
        return false;
    }
    myOperators.push_back(std::move(owned));
    return true;
}

bool OP_OperatorTable::checkOperator(const OP_Operator &op, std::string &why) const
{
    if (op.getName().empty())
    {
        why = "it has no name";
        return false;
    }
    if (getOperator(op.getName().c_str()))
    {
        why = "a type of that name is already registered in the " + myName + " table";
        return false;
    }
    if (!op.getConstructor())
    {
        why = "it has no constructor";
        return false;
    }
    if (op.minInputs() > op.maxInputs())
    {
        why = "it requires more inputs than it accepts";
        return false;
    }
    if (op.maxOutputs() < 0)
    {
        why = "it has a negative number of outputs";
        return false;
    }
    std::set<std::string> tokens;
    const PRM_Template *list = op.getParmTemplates();
    for (int i = 0, n = PRM_Template::countTemplates(list); i < n; ++i)
    {
        const char *token = list[i].getToken();
        if (!token || !*token)
        {
            why = "parameter " + std::to_string(i + 1) + " has no token";
            return false;
        }
        if (list[i].getVectorSize() < 1)
        {
            why = std::string("parameter \"") + token + "\" has no components";
            return false;
        }
        if (!tokens.insert(token).second)
        {
            why = std::string("parameter token \"") + token + "\" is used twice";
            return false;
        }
    }
    return true;
}

OP_Operator *OP_OperatorTable::getOperator(const char *name) const { return getOperatorRef(name).get(); }

std::shared_ptr<OP_Operator> OP_OperatorTable::getOperatorRef(const char *name) const
{
    if (!name)
        return nullptr;
    for (const std::shared_ptr<OP_Operator> &op : myOperators)
        if (op->getName() == name)
            return op;
    return nullptr;
}

void OP_OperatorTable::report(std::ostream *err, const std::string &line)
{
    if (err)
        *err << line << '\n';
    if (myLoadingLibrary)
        myLoadingRefusals += line + '\n';
}

void OP_OperatorTable::beginLibrary(std::shared_ptr<UT_DSO> library)
{
    myLoadingLibrary = std::move(library);
    myLoadingRefusals.clear();
}

std::string OP_OperatorTable::endLibrary()
{
    myLoadingLibrary.reset();
    std::string refusals;
    refusals.swap(myLoadingRefusals);
    return refusals;
}

std::shared_ptr<UT_DSO> OP_OperatorTable::loadSopPlugin(const char *path, std::string &err)
{
    std::shared_ptr<UT_DSO> library = UT_DSO::openNodePlugin(path, err);
    if (!library)
        return nullptr;
    const std::string name = "\"" + library->getPath() + "\"";
    auto registerTypes = reinterpret_cast<RegisterFunc>(library->findSymbol(UT_DSO::registrationEntry()));

    // The loading state ends on every path, also when the plug-in throws.
    const int before = entries();
    bool failed = true;
    beginLibrary(library);
    try
    {
        registerTypes(this);
        failed = false;
    }
    catch (const std::exception &e)
    {
        err = "Plug-in " + name + " failed while loading: " + e.what();
    }
    catch (...)
    {
        err = "Plug-in " + name + " failed while loading";
    }
    const std::string refusals = endLibrary();
    if (failed)
        return nullptr;
    if (entries() == before)
    {
        err = "Plug-in " + name + " registered no node types" + (refusals.empty() ? std::string() : ":\n" + refusals);
        return nullptr;
    }
    err = refusals;
    return library;
}
