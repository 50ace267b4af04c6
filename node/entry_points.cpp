// The plug-in's boundary with the host.
//
// The host loads the library, reads HoudiniDSOVersion, HoudiniCompilerVersion
// and HoudiniGetTagInfo, and then calls newSopOperator once with its operator
// table. Static initialisation (parameter templates, the random engine) has
// run by then. These four functions are the library's only exports.
#include "contract/velkor_contract.h"
#include "node/build_tag.h"
#include "node/sop_velkor.h"

#include <OP/OP_Operator.h>
#include <OP/OP_OperatorTable.h>

#if defined(_WIN32)
#define VELKOR_EXPORT extern "C" __declspec(dllexport)
#else
#define VELKOR_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace
{
const char kHostVersion[] = "15.5";
constexpr unsigned kCompilerVersion = 1900;
// Operator flags of the node type.
constexpr unsigned kOperatorFlags = 2;
}  // namespace

VELKOR_EXPORT void HoudiniDSOVersion(const char **version)
{
    if (version)
        *version = kHostVersion;
}

VELKOR_EXPORT unsigned HoudiniCompilerVersion() { return kCompilerVersion; }

VELKOR_EXPORT void HoudiniGetTagInfo(const char **tag)
{
    if (tag)
        *tag = kVelkorBuildTag;
}

VELKOR_EXPORT void newSopOperator(OP_OperatorTable *table)
{
    if (!table)
        return;
    table->addOperator(new OP_Operator(velkor::kNodeType, velkor::kNodeLabel, HDK_Sample::SOP_Velkor::myConstructor,
                                       HDK_Sample::SOP_Velkor::myTemplateList, 2, 2,
                                       HDK_Sample::SOP_Velkor::myVariables, kOperatorFlags, nullptr, 1, nullptr),
                       nullptr);
}
