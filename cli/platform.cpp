#include "cli/platform.h"

#include <cstdio>
#include <cstdlib>

#ifdef _WIN32
#ifndef NOMINMAX  // libstdc++ may have defined it already
#define NOMINMAX
#endif
#include <windows.h>
#include <io.h>
#include <shellapi.h>  // after windows.h, which it needs
#else
#include <csignal>
#include <unistd.h>
#endif

namespace
{

void (*gOnInterrupt)() = nullptr;

#ifdef _WIN32
BOOL WINAPI consoleHandler(DWORD type)
{
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT)
        return FALSE;
    static volatile LONG pressed = 0;
    if (InterlockedExchange(&pressed, 1) != 0 || !gOnInterrupt)
        return FALSE;  // the second press: let the default handler end the program
    gOnInterrupt();
    return TRUE;
}
#else
extern "C" void interruptSignalHandler(int)
{
    if (gOnInterrupt)
        gOnInterrupt();
}
#endif

}  // namespace

#ifdef _WIN32
namespace
{
std::string utf8FromWide(const wchar_t *text, int length)
{
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string utf8(size_t(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0)
        WideCharToMultiByte(CP_UTF8, 0, text, length, utf8.data(), bytes, nullptr, nullptr);
    return utf8;
}
}  // namespace
#endif

std::vector<std::string> commandLineArguments(int argc, char **argv)
{
    std::vector<std::string> args;
#ifdef _WIN32
    int count = 0;
    wchar_t **wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide)
    {
        for (int i = 1; i < count; ++i)
            args.push_back(utf8FromWide(wide[i], int(wcslen(wide[i]))));
        LocalFree(wide);
        return args;
    }
#endif
    for (int i = 1; i < argc; ++i)
        args.emplace_back(argv[i]);
    return args;
}

const char *pluginFileName()
{
#ifdef _WIN32
    return "SOP_Velkor.dll";
#else
    return "SOP_Velkor.so";
#endif
}

std::string executablePath()
{
#ifdef _WIN32
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;)
    {
        const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()));
        if (n == 0)
            return {};
        if (n < buffer.size())
        {
            buffer.resize(n);
            break;
        }
        buffer.resize(buffer.size() * 2);
    }
    return utf8FromWide(buffer.data(), int(buffer.size()));
#else
    std::string buffer(256, '\0');
    for (;;)
    {
        const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0)
            return {};
        if (size_t(n) < buffer.size())
        {
            buffer.resize(size_t(n));
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
#endif
}

bool setEnvironmentVariable(const char *name, const char *value)
{
#ifdef _WIN32
    return _putenv_s(name, value) == 0;
#else
    return setenv(name, value, 1) == 0;
#endif
}

std::string environmentVariable(const char *name)
{
    const char *value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

bool standardErrorIsTerminal()
{
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(STDERR_FILENO) != 0;
#endif
}

void installInterruptHandler(void (*onInterrupt)())
{
    gOnInterrupt = onInterrupt;
#ifdef _WIN32
    SetConsoleCtrlHandler(consoleHandler, TRUE);
#else
    struct sigaction action = {};
    action.sa_handler = interruptSignalHandler;
    sigemptyset(&action.sa_mask);
    // After the first Ctrl-C the default action is back: a second one ends
    // the program even if the cook never polls again.
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
#endif
}
