// The interrupt server: how a long cook learns that the user wants it to stop.
//
// A program (or a test) raises the request with requestInterrupt(); code doing
// the work polls opInterrupt() between units of work and, when it answers
// true, stops and reports. Work is bracketed by opStart()/opEnd() scopes so a
// progress display knows what is running and how deep. There is one server
// per process, UTgetInterrupt(), living in the host library so that plug-ins
// and the program see the same one.
//
// The request flag is a lock-free atomic: requestInterrupt() is safe to call
// from another thread or from a signal handler (the host installs none; the
// program that wants Ctrl-C to stop a cook installs its own handler and calls
// requestInterrupt() from it; it calls UTgetInterrupt() once beforehand, so
// the handler never constructs the server). The flag stays raised until
// clearInterrupt() or until the next outermost scope opens: opening it drops
// a request left over from earlier work, which would otherwise stop every
// later cook at once. A request raised while a scope is open (from its own
// START callback onwards) stops the work of that scope.
#pragma once

#include <UT/UT_API.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// What a progress callback is told: a scope opened or closed, or a poll
// that carried a completion percentage.
struct UT_InterruptEvent
{
    enum Kind
    {
        START,
        PROGRESS,
        END
    };
    Kind kind;
    const char *message;  // the scope's message, never null
    int depth;            // 1 for the outermost scope
    int percent;          // 0 at START, 100 at END, as polled for PROGRESS
};

class UT_API UT_Interrupt
{
public:
    typedef std::function<void(const UT_InterruptEvent &)> ProgressCallback;

    UT_Interrupt();
    UT_Interrupt(const UT_Interrupt &) = delete;
    UT_Interrupt &operator=(const UT_Interrupt &) = delete;

    // Raises the request. Async-signal-safe.
    void requestInterrupt() { myRequested.store(true, std::memory_order_relaxed); }
    void clearInterrupt() { myRequested.store(false, std::memory_order_relaxed); }
    bool isInterruptRequested() const { return myRequested.load(std::memory_order_relaxed); }

    // Opens a scope; the outermost one first clears a pending request.
    // showProgress: whether the progress callback hears about this scope (an
    // inner bookkeeping scope may prefer to stay quiet).
    void opStart(const char *message = nullptr, bool showProgress = true);
    // Closes the innermost scope; ignored when none is open.
    void opEnd();
    // Polls the request: true when raised. A percent of 0 to 100 is passed
    // on to the progress callback of a shown scope; -1 means unknown.
    bool opInterrupt(int percent = -1);

    int getOpDepth() const;
    // Message of the innermost open scope, empty when none is open.
    std::string getActiveMessage() const;

    // Installs (or, with an empty function, removes) the progress callback.
    // It runs on the thread that opens, polls or closes the scope, outside
    // the server's lock, so it may query the server.
    void setProgressCallback(ProgressCallback callback);

private:
    struct Scope
    {
        std::string message;
        bool shown;
    };
    void notify(UT_InterruptEvent::Kind kind, const std::string &message, int depth, int percent);

    std::atomic<bool> myRequested;
    mutable std::mutex myMutex;
    std::vector<Scope> myScopes;
    std::shared_ptr<ProgressCallback> myCallback;
};

// The process-wide interrupt server.
UT_API UT_Interrupt *UTgetInterrupt();

// A scope on an interrupt server for the lifetime of the object.
class UT_API UT_AutoInterrupt
{
public:
    // server: null means UTgetInterrupt(). showProgress as for opStart().
    explicit UT_AutoInterrupt(const char *message, UT_Interrupt *server = nullptr, bool showProgress = true);
    ~UT_AutoInterrupt();
    UT_AutoInterrupt(const UT_AutoInterrupt &) = delete;
    UT_AutoInterrupt &operator=(const UT_AutoInterrupt &) = delete;

    // Polls the server; see UT_Interrupt::opInterrupt().
    bool wasInterrupted(int percent = -1) const { return myServer->opInterrupt(percent); }
    UT_Interrupt *getInterrupt() const { return myServer; }

private:
    UT_Interrupt *myServer;
};
