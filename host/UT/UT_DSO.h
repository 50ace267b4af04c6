// Loading node plug-ins: shared libraries that add node types to the host.
//
// A node plug-in exports four unmangled functions:
//   void     HoudiniDSOVersion(const char **version)   stores the host version it was built for
//   unsigned HoudiniCompilerVersion()                  the compiler it was built with
//   void     HoudiniGetTagInfo(const char **tag)       stores its build tag
//   void     newSopOperator(OP_OperatorTable *table)   registers its node types
// openNodePlugin() opens the library, checks that all four exist, reads the
// three version entries and refuses a library built for another host
// version. Calling the registration entry is the operator table's work
// (OP_OperatorTable::loadSopPlugin()): this library knows the entry only by
// its name, so the utility layer depends on nothing above it. Nothing is
// thrown: every refusal is returned as a message that names the file.
//
// Ownership: the library stays loaded while anything made from it lives.
// Each operator it registers holds the UT_DSO; the network holds a node's
// operator across the node's destruction. The library is unloaded when the
// last of the returned handle, its operators and their nodes is gone, and
// never from inside the library's own code.
#pragma once

#include <UT/UT_API.h>

#include <memory>
#include <string>

class UT_API UT_DSO
{
public:
    ~UT_DSO();  // unloads the library
    UT_DSO(const UT_DSO &) = delete;
    UT_DSO &operator=(const UT_DSO &) = delete;

    // The host version a plug-in must have been built for.
    static const char *requiredVersion() { return "15.5"; }

    // Opens the library at path; null with a message in err on failure.
    static std::shared_ptr<UT_DSO> open(const char *path, std::string &err);

    // The name of the entry point that registers a node plug-in's types.
    static const char *registrationEntry() { return "newSopOperator"; }

    // Opens path as a node plug-in: all four entry points present, the
    // version entries read, the host version the one required. Returns the
    // library, or null with the reason in err; registers nothing.
    static std::shared_ptr<UT_DSO> openNodePlugin(const char *path, std::string &err);

    // Address of an exported symbol, or null.
    void *findSymbol(const char *name) const;

    const std::string &getPath() const { return myPath; }
    // As the plug-in reported them to openNodePlugin().
    const std::string &getVersion() const { return myVersion; }
    unsigned getCompilerVersion() const { return myCompilerVersion; }
    const std::string &getTagInfo() const { return myTagInfo; }

private:
    UT_DSO(std::string path, void *handle) : myPath(std::move(path)), myHandle(handle) {}

    std::string myPath;
    void *myHandle;
    std::string myVersion;
    unsigned myCompilerVersion = 0;
    std::string myTagInfo;
};
