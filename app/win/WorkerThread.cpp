#include "WorkerThread.h"

#include <process.h>

#include <cstdint>

WorkerThread::~WorkerThread() { Wait(); }

bool WorkerThread::Start(std::function<void()> work) {
    Wait();
    work_ = std::move(work);
    // _beginthreadex rather than CreateThread: the work uses the C library.
    const std::uintptr_t handle = _beginthreadex(nullptr, 0, &WorkerThread::Main, this, 0, nullptr);
    thread_ = reinterpret_cast<HANDLE>(handle);
    return thread_ != nullptr;
}

void WorkerThread::Wait() {
    if (thread_ == nullptr) return;
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    thread_ = nullptr;
}

unsigned __stdcall WorkerThread::Main(void* self) {
    static_cast<WorkerThread*>(self)->work_();
    return 0;
}
