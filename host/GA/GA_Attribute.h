// Attributes: named per-point data of some type.
//
// Every attribute carries a 32-bit type-information code and a data id. The
// data id tells the host's caches that the data changed: assignNewDataId()
// gives a fresh, process-unique id (thread-safe); an attribute whose id is -1
// is untracked and keeps -1.
#pragma once

#include <GA/GA_Types.h>
#include <UT/UT_API.h>
#include <atomic>
#include <memory>
#include <string>

class GA_AttributeType;

class UT_API GA_Attribute
{
public:
    GA_Attribute(const GA_AttributeType &type, const std::string &name, int tupleSize);
    virtual ~GA_Attribute();

    const GA_AttributeType &getType() const { return *myType; }
    const char *getName() const { return myName.c_str(); }
    int getTupleSize() const { return myTupleSize; }

    int32_t getTypeInfo() const { return myTypeInfo; }
    void setTypeInfo(int32_t code) { myTypeInfo = code; }
    GA_AttributeScope getScope() const { return myScope; }
    void setScope(GA_AttributeScope scope) { myScope = scope; }

    int64_t getDataId() const { return myDataId.load(std::memory_order_relaxed); }
    // Gives the attribute a fresh process-unique data id, unless untracked.
    void assignNewDataId();
    // Makes the attribute untracked: its data id becomes -1 and stays -1.
    void clearDataId() { myDataId.store(-1, std::memory_order_relaxed); }

    // Number of elements held.
    virtual GA_Size size() const = 0;
    // Grows or shrinks to n elements; new elements take the default value.
    virtual void setSize(GA_Size n) = 0;
    // A copy that shares data pages with this attribute.
    virtual std::unique_ptr<GA_Attribute> clone() const = 0;

protected:
    GA_Attribute(const GA_Attribute &src);

private:
    const GA_AttributeType *myType;
    std::string myName;
    int myTupleSize;
    int32_t myTypeInfo = 0;
    GA_AttributeScope myScope = GA_SCOPE_PUBLIC;
    std::atomic<int64_t> myDataId;
};

// Identity of an attribute implementation; compared by address.
class UT_API GA_AttributeType
{
public:
    explicit GA_AttributeType(const char *name) : myName(name) {}
    GA_AttributeType(const GA_AttributeType &) = delete;
    GA_AttributeType &operator=(const GA_AttributeType &) = delete;
    const char *getTypeName() const { return myName; }

private:
    const char *myName;
};
