// The standard-thread pool behind the parallel regions when the host library
// is built without oneTBB.
//
// Threads are started on first need and kept, since a cook runs many short
// regions. One region at a time uses the pool; a region started inside
// another (from a task, or while the pool serves another thread) runs on its
// calling thread alone, which is always correct and keeps the thread count
// within the limit. Workers run each task under the floating-point state of
// the thread that started the region. The pool is never destroyed: joining
// threads while a process (or, on Windows, a library) shuts down can hang.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>

// Runs task(i) for every i in [0, count) on up to `threads` threads, the
// calling thread included, and returns when all are done. The first
// exception a task throws is rethrown here once the others have stopped;
// tasks not yet started are then skipped.
void UTrunOnThreadPool(size_t count, int threads, const std::function<void(size_t)> &task);

// Runs main() on the calling thread while pool threads run task(i) for
// i in [0, count), one thread per task; once main has returned or thrown,
// `stop` is set, tasks no thread has taken are run on the caller (they are
// expected to return at once), and the call returns when all are done. With
// the pool busy or inside a region, main runs alone and tasks on the caller
// afterwards. main's exception wins over a task's.
void UTrunBesideOnThreadPool(size_t count, const std::function<void(size_t)> &task, const std::function<void()> &main,
                             std::atomic<bool> &stop);
