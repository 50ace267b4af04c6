#include <UT/UT_DSO.h>

#include <exception>

#if defined(_WIN32)
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace
{
// The three operating-system calls, one small function each.
#if defined(_WIN32)
// Paths are UTF-8; the wide call reaches every file name, the ANSI one
// only those of the current code page.
void *openLibrary(const char *path, std::string &why)
{
    const int count = MultiByteToWideChar(CP_UTF8, 0, path, -1, nullptr, 0);
    std::wstring wide(size_t(count > 0 ? count : 1), L'\0');
    if (count > 0)
        MultiByteToWideChar(CP_UTF8, 0, path, -1, wide.data(), count);
    HMODULE handle = LoadLibraryW(wide.c_str());
    if (!handle)
        why = "system error " + std::to_string(GetLastError());
    return reinterpret_cast<void *>(handle);
}

void *findLibrarySymbol(void *handle, const char *name)
{
    return reinterpret_cast<void *>(GetProcAddress(reinterpret_cast<HMODULE>(handle), name));
}

void closeLibrary(void *handle) { FreeLibrary(reinterpret_cast<HMODULE>(handle)); }
#else
void *openLibrary(const char *path, std::string &why)
{
    // RTLD_LOCAL: a plug-in's own symbols never satisfy another's.
    void *handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!handle)
    {
        const char *text = dlerror();
        why = text ? text : "unknown error";
    }
    return handle;
}

void *findLibrarySymbol(void *handle, const char *name) { return dlsym(handle, name); }

void closeLibrary(void *handle) { dlclose(handle); }
#endif

typedef void (*VersionFunc)(const char **);
typedef unsigned (*CompilerFunc)();

std::string quoted(const std::string &text) { return "\"" + text + "\""; }
}  // namespace

UT_DSO::~UT_DSO()
{
    if (myHandle)
        closeLibrary(myHandle);
}

std::shared_ptr<UT_DSO> UT_DSO::open(const char *path, std::string &err)
{
    err.clear();
    if (!path || !*path)
    {
        err = "Cannot load plug-in: no file name given";
        return nullptr;
    }
    std::string why;
    void *handle = openLibrary(path, why);
    if (!handle)
    {
        err = "Cannot load plug-in " + quoted(path) + ": " + why;
        return nullptr;
    }
    return std::shared_ptr<UT_DSO>(new UT_DSO(path, handle));
}

void *UT_DSO::findSymbol(const char *name) const
{
    return myHandle && name ? findLibrarySymbol(myHandle, name) : nullptr;
}

std::shared_ptr<UT_DSO> UT_DSO::openNodePlugin(const char *path, std::string &err)
{
    std::shared_ptr<UT_DSO> library = open(path, err);
    if (!library)
        return nullptr;
    const std::string name = quoted(library->myPath);

    auto version = reinterpret_cast<VersionFunc>(library->findSymbol("HoudiniDSOVersion"));
    auto compiler = reinterpret_cast<CompilerFunc>(library->findSymbol("HoudiniCompilerVersion"));
    auto tag = reinterpret_cast<VersionFunc>(library->findSymbol("HoudiniGetTagInfo"));
    const bool registers = library->findSymbol(registrationEntry()) != nullptr;
    std::string missing;
    const std::pair<bool, const char *> entries[] = {{version != nullptr, "HoudiniDSOVersion"},
                                                     {compiler != nullptr, "HoudiniCompilerVersion"},
                                                     {tag != nullptr, "HoudiniGetTagInfo"},
                                                     {registers, registrationEntry()}};
    for (const auto &entry : entries)
        if (!entry.first)
            missing += std::string(missing.empty() ? "" : ", ") + entry.second;
    if (!missing.empty())
    {
        err = "Plug-in " + name + " is not a node plug-in: it lacks the entry point(s) " + missing;
        return nullptr;
    }

    try
    {
        const char *text = nullptr;
        version(&text);
        if (!text)
        {
            err = "Plug-in " + name + " reports no host version; this host is " + quoted(requiredVersion());
            return nullptr;
        }
        library->myVersion = text;
        if (library->myVersion != requiredVersion())
        {
            err = "Plug-in " + name + " was built for host version " + quoted(library->myVersion) + "; this host is " +
                  quoted(requiredVersion());
            return nullptr;
        }
        library->myCompilerVersion = compiler();
        text = nullptr;
        tag(&text);
        library->myTagInfo = text ? text : "";
        return library;
    }
    catch (const std::exception &e)
    {
        err = "Plug-in " + name + " failed while loading: " + e.what();
    }
    catch (...)
    {
        err = "Plug-in " + name + " failed while loading";
    }
    return nullptr;
}
