#include <UT/UT_Interrupt.h>

#include <utility>

UT_Interrupt::UT_Interrupt() : myRequested(false)
{
    static_assert(std::atomic<bool>::is_always_lock_free, "requestInterrupt() must stay usable from a signal handler");
}

void UT_Interrupt::opStart(const char *message, bool showProgress)
{
    std::string text = message ? message : "";
    int depth;
    {
        std::lock_guard<std::mutex> lock(myMutex);
        if (myScopes.empty())
            clearInterrupt();
        myScopes.push_back({text, showProgress});
        depth = int(myScopes.size());
    }
    if (showProgress)
        notify(UT_InterruptEvent::START, text, depth, 0);
}

void UT_Interrupt::opEnd()
{
    Scope scope;
    int depth;
    {
        std::lock_guard<std::mutex> lock(myMutex);
        if (myScopes.empty())
            return;
        depth = int(myScopes.size());
        scope = std::move(myScopes.back());
        myScopes.pop_back();
    }
    if (scope.shown)
        notify(UT_InterruptEvent::END, scope.message, depth, 100);
}

bool UT_Interrupt::opInterrupt(int percent)
{
    if (percent >= 0)
    {
        std::string message;
        int depth = 0;
        bool shown = false;
        {
            std::lock_guard<std::mutex> lock(myMutex);
            if (!myScopes.empty())
            {
                message = myScopes.back().message;
                depth = int(myScopes.size());
                shown = myScopes.back().shown;
            }
        }
        if (shown)
            notify(UT_InterruptEvent::PROGRESS, message, depth, percent > 100 ? 100 : percent);
    }
    return isInterruptRequested();
}

int UT_Interrupt::getOpDepth() const
{
    std::lock_guard<std::mutex> lock(myMutex);
    return int(myScopes.size());
}

std::string UT_Interrupt::getActiveMessage() const
{
    std::lock_guard<std::mutex> lock(myMutex);
    return myScopes.empty() ? std::string() : myScopes.back().message;
}

void UT_Interrupt::setProgressCallback(ProgressCallback callback)
{
    std::shared_ptr<ProgressCallback> held;
    if (callback)
        held = std::make_shared<ProgressCallback>(std::move(callback));
    std::lock_guard<std::mutex> lock(myMutex);
    myCallback = std::move(held);
}

void UT_Interrupt::notify(UT_InterruptEvent::Kind kind, const std::string &message, int depth, int percent)
{
    // Called without the lock held: the callback may print, query the server
    // or even raise the request itself.
    std::shared_ptr<ProgressCallback> callback;
    {
        std::lock_guard<std::mutex> lock(myMutex);
        callback = myCallback;
    }
    if (callback)
        (*callback)(UT_InterruptEvent{kind, message.c_str(), depth, percent});
}

UT_Interrupt *UTgetInterrupt()
{
    static UT_Interrupt theServer;
    return &theServer;
}

UT_AutoInterrupt::UT_AutoInterrupt(const char *message, UT_Interrupt *server, bool showProgress)
    : myServer(server ? server : UTgetInterrupt())
{
    myServer->opStart(message, showProgress);
}

UT_AutoInterrupt::~UT_AutoInterrupt() { myServer->opEnd(); }
