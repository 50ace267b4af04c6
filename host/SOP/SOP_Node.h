// The base of geometry nodes: a node whose output is a detail.
//
// A geometry node type derives from SOP_Node and implements cookMySop().
// Each node owns an output detail, gdp, held by its own handle myGdpHandle;
// before every cook the node's output 0 is reset to that handle, and a cook
// may point it elsewhere with setCurGdh(). The detail persists from cook to
// cook: a cook that does not rewrite it leaves the previous result in
// place. After a failed cook the output still holds what the cook left
// (points appended before an interrupt stay readable); the host checks
// error() to know whether to trust it.
//
// A consumer reads the geometry of an input with inputGeo() (after its
// inputs are locked) or copies it into its own detail with
// duplicateSource(). Every node feeds its consumers from its output 0.
//
// Local variables: while the host evaluates a node's parameters for one
// point at a time it opens a point context (setCurPoint()); inside it the
// node type's variables named "PT" and "NPT" evaluate to the current point
// number and the point count. Outside such a context they have no value
// (evalVariableValue() returns false), and neither does a variable of any
// other name.
#pragma once

#include <GA/GA_Types.h>
#include <GU/GU_DetailHandle.h>
#include <OP/OP_Network.h>
#include <PRM/PRM_ChoiceList.h>
#include <PRM/PRM_SpareData.h>
#include <SOP/SOP_Error.h>
#include <UT/UT_API.h>

#include <vector>

// Bits a node type sets on its nodes; the host stores them for the type.
class SOP_NodeFlags
{
public:
    void setBits(unsigned mask, bool on = true) { myBits = on ? (myBits | mask) : (myBits & ~mask); }
    bool hasBits(unsigned mask) const { return (myBits & mask) == mask; }
    unsigned getBits() const { return myBits; }

private:
    unsigned myBits = 0;
};

class UT_API SOP_Node : public OP_Network
{
public:
    ~SOP_Node() override;

    // The menu a point-group field offers: the point groups of the node's
    // first input. The geometry library keeps no groups yet, so the menu is
    // empty; the field still accepts typed text.
    static PRM_ChoiceList pointGroupMenu;
    // Spare data giving a group field a button to pick the group
    // interactively. The object is owned by the host and shared by every
    // call with the same arguments; it lives until the host library unloads.
    static PRM_SpareData *getGroupSelectButton(int groupType, const char *groupTypeParm = nullptr, int inputIndex = 0,
                                               PRM_SpareData *merge = nullptr, const char *assocGroups = nullptr);

    // The geometry of output outputIdx, cooking the node first if needed.
    GU_DetailHandle getCookedGeoHandle(OP_Context &context, int outputIdx = 0);
    const GU_Detail *getCookedGeo(OP_Context &context, int outputIdx = 0);
    // Output outputIdx as the last cook left it, without cooking; an empty
    // handle before the first cook or for an output the node does not have.
    GU_DetailHandle getOutputHandle(int outputIdx = 0) const;

    // Geometry of input idx as last cooked: null when the input is not
    // connected, is not a geometry node, has not cooked or has no geometry.
    const GU_Detail *inputGeo(int idx) const;

    // Messages under the geometry codes; addError() adds UT_ERROR_ABORT.
    // Each returns the node's severity afterwards.
    UT_ErrorSeverity addError(SOP_ErrorCodes code, const char *msg = nullptr);
    UT_ErrorSeverity addWarning(SOP_ErrorCodes code, const char *msg = nullptr);
    UT_ErrorSeverity addMessage(SOP_ErrorCodes code, const char *msg = nullptr);

    const SOP_NodeFlags &getSopFlags() const { return mySopFlags; }

    // Point context for "PT" and "NPT" (see above).
    void setCurPoint(GA_Index point, GA_Size pointCount);
    void clearCurPoint();
    bool hasCurPoint() const { return myCurPoint >= 0; }

    bool evalVariableValue(fpreal &value, int index, int thread) override;
    bool evalVariableValue(UT_String &value, int index, int thread) override;

    SOP_Node *castToSOPNode() override { return this; }

protected:
    SOP_Node(OP_Network *parent, const char *name, OP_Operator *op);

    // The node type's cook: fill gdp (or point output 0 elsewhere) and return
    // error().
    virtual OP_ERROR cookMySop(OP_Context &context) = 0;

    // Replaces the contents of gdp with a page-sharing copy of input idx,
    // cooking the input if needed. A missing input or one without geometry
    // adds an error naming it; gdp is then emptied. Returns error(). Our
    // copy always replaces the whole detail, so clean changes nothing.
    OP_ERROR duplicateSource(unsigned idx, OP_Context &context, GU_Detail *gdp, bool clean = true);
    // Makes gdh the node's output idx for this cook.
    void setCurGdh(unsigned idx, const GU_DetailHandle &gdh);

    GU_Detail *gdp;
    GU_DetailHandle myGdpHandle;
    SOP_NodeFlags mySopFlags;

private:
    OP_ERROR cookMe(OP_Context &context) final;
    // Name of the node type's variable with id index, or null.
    const char *variableName(int index) const;

    std::vector<GU_DetailHandle> myOutputs;
    GA_Index myCurPoint = -1;
    GA_Size myCurPointCount = 0;
};
