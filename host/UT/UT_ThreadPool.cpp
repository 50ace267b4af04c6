#include <UT/UT_ThreadPool.h>

#include <UT/UT_FPControl.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace
{

// Set while the thread runs tasks of a region: a region started then runs
// serially.
thread_local bool tInRegion = false;

struct RegionFlag
{
    RegionFlag() { tInRegion = true; }
    ~RegionFlag() { tInRegion = false; }
};

struct Job
{
    const std::function<void(size_t)> *task;
    size_t count;
    UT_FPState fpState;
    std::atomic<size_t> next{0};
    std::atomic<bool> failed{false};
    std::mutex errorMutex;
    std::exception_ptr error;

    void work()
    {
        const RegionFlag flag;
        while (!failed.load(std::memory_order_relaxed))
        {
            const size_t i = next.fetch_add(1, std::memory_order_relaxed);
            if (i >= count)
                break;
            try
            {
                (*task)(i);
            }
            catch (...)
            {
                std::lock_guard<std::mutex> lock(errorMutex);
                if (!error)
                    error = std::current_exception();
                failed.store(true, std::memory_order_relaxed);
            }
        }
    }
};

class ThreadPool
{
public:
    // Runs the job on the caller and on up to `helpers` pool threads; with
    // `beside`, the caller runs it first and joins the job afterwards.
    void run(Job &job, int helpers, const std::function<void()> *beside = nullptr)
    {
        {
            std::lock_guard<std::mutex> lock(myMutex);
            startWorkers(helpers);
            myJob = &job;
            mySlots = helpers;
            ++myGeneration;
        }
        myWake.notify_all();
        if (beside)
            (*beside)();
        job.work();
        std::unique_lock<std::mutex> lock(myMutex);
        mySlots = 0;  // latecomers find nothing to join
        myDone.wait(lock, [this] { return myActive == 0; });
        myJob = nullptr;
    }

    // Held for the duration of a region: regions from other threads meanwhile
    // run serially rather than queue behind it.
    std::mutex busy;

private:
    void startWorkers(int wanted)
    {
        while (int(myWorkers) < wanted)
        {
            try
            {
                std::thread(&ThreadPool::workerLoop, this).detach();
            }
            catch (const std::system_error &)
            {
                return;  // fewer helpers; the caller still does all the work
            }
            ++myWorkers;
        }
    }

    void workerLoop()
    {
        unsigned long seen = 0;
        std::unique_lock<std::mutex> lock(myMutex);
        for (;;)
        {
            myWake.wait(lock, [&] { return myGeneration != seen; });
            seen = myGeneration;
            if (mySlots == 0)
                continue;
            --mySlots;
            ++myActive;
            Job *job = myJob;
            lock.unlock();
            {
                const UT_ScopedFPState fp(job->fpState);
                job->work();
            }
            lock.lock();
            if (--myActive == 0)
                myDone.notify_all();
        }
    }

    std::mutex myMutex;
    std::condition_variable myWake;
    std::condition_variable myDone;
    Job *myJob = nullptr;
    unsigned long myGeneration = 0;
    int mySlots = 0;
    int myActive = 0;
    size_t myWorkers = 0;
};

ThreadPool &pool()
{
    static ThreadPool *thePool = new ThreadPool;  // never destroyed, see the header
    return *thePool;
}

}  // namespace

void UTrunOnThreadPool(size_t count, int threads, const std::function<void(size_t)> &task)
{
    const int helpers = int(std::min<size_t>(count, size_t(std::max(threads, 1)))) - 1;
    std::unique_lock<std::mutex> busy;
    if (helpers > 0 && !tInRegion)
        busy = std::unique_lock<std::mutex>(pool().busy, std::try_to_lock);
    if (!busy.owns_lock())
    {
        for (size_t i = 0; i < count; ++i)
            task(i);
        return;
    }
    Job job;
    job.task = &task;
    job.count = count;
    job.fpState = UTcaptureFPState();
    pool().run(job, helpers);
    if (job.error)
        std::rethrow_exception(job.error);
}

void UTrunBesideOnThreadPool(size_t count, const std::function<void(size_t)> &task, const std::function<void()> &main,
                             std::atomic<bool> &stop)
{
    std::unique_lock<std::mutex> busy;
    if (count > 0 && !tInRegion)
        busy = std::unique_lock<std::mutex>(pool().busy, std::try_to_lock);
    std::exception_ptr error;
    // Regions main starts meanwhile run serially (the pool is taken).
    const std::function<void()> guarded = [&] {
        try
        {
            main();
        }
        catch (...)
        {
            error = std::current_exception();
        }
        stop.store(true, std::memory_order_release);
    };
    if (!busy.owns_lock())
    {
        guarded();
        for (size_t i = 0; i < count; ++i)
            task(i);
    }
    else
    {
        Job job;
        job.task = &task;
        job.count = count;
        job.fpState = UTcaptureFPState();
        pool().run(job, int(std::min<size_t>(count, size_t(INT32_MAX))), &guarded);
        if (!error)
            error = job.error;
    }
    if (error)
        std::rethrow_exception(error);
}
