// The thread a conversion runs on, so that the window stays responsive while a
// long arrangement is going. One piece of work at a time.
#pragma once

#include <functional>

#include "Win32.h"

class WorkerThread {
public:
    WorkerThread() = default;
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Runs `work` on a new thread. False when no thread could be started; the
    // work has then not run.
    bool Start(std::function<void()> work);

    // Returns once the work has ended. The work must not be waiting for the
    // calling thread (a message sent to its window) when this is called.
    void Wait();

private:
    static unsigned __stdcall Main(void* self);

    HANDLE thread_ = nullptr;
    std::function<void()> work_;
};
