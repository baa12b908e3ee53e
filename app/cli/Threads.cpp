#include "Threads.h"

#include <vector>

#ifdef _WIN32
#include <windows.h>
#include <process.h>
#else
#include <condition_variable>
#include <mutex>
#include <thread>
#endif

namespace kelvane::cli {

#ifdef _WIN32

struct Monitor::Impl {
    SRWLOCK lock = SRWLOCK_INIT;
    CONDITION_VARIABLE condition = CONDITION_VARIABLE_INIT;
};

Monitor::Monitor() : impl_(std::make_unique<Impl>()) {}
Monitor::~Monitor() = default;

void Monitor::Locked(const std::function<void()>& action) {
    AcquireSRWLockExclusive(&impl_->lock);
    action();
    ReleaseSRWLockExclusive(&impl_->lock);
}

void Monitor::WaitUntil(const std::function<bool()>& ready) {
    AcquireSRWLockExclusive(&impl_->lock);
    while (!ready()) SleepConditionVariableSRW(&impl_->condition, &impl_->lock, INFINITE, 0);
    ReleaseSRWLockExclusive(&impl_->lock);
}

void Monitor::WakeAll() { WakeAllConditionVariable(&impl_->condition); }

namespace {

unsigned __stdcall RunWork(void* work) {
    (*static_cast<const std::function<void()>*>(work))();
    return 0;
}

}  // namespace

void RunThreads(unsigned count, const std::function<void()>& work) {
    std::vector<HANDLE> threads;
    for (unsigned i = 1; i < count; ++i) {
        auto handle = reinterpret_cast<HANDLE>(
            _beginthreadex(nullptr, 0, RunWork, const_cast<std::function<void()>*>(&work), 0, nullptr));
        // A thread the system will not give is a job fewer, not a failure.
        if (handle) threads.push_back(handle);
    }
    work();
    for (HANDLE thread : threads) {
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
    }
}

#else

struct Monitor::Impl {
    std::mutex lock;
    std::condition_variable condition;
};

Monitor::Monitor() : impl_(std::make_unique<Impl>()) {}
Monitor::~Monitor() = default;

void Monitor::Locked(const std::function<void()>& action) {
    std::lock_guard<std::mutex> hold(impl_->lock);
    action();
}

void Monitor::WaitUntil(const std::function<bool()>& ready) {
    std::unique_lock<std::mutex> hold(impl_->lock);
    impl_->condition.wait(hold, ready);
}

void Monitor::WakeAll() { impl_->condition.notify_all(); }

void RunThreads(unsigned count, const std::function<void()>& work) {
    std::vector<std::thread> threads;
    for (unsigned i = 1; i < count; ++i) {
        try {
            threads.emplace_back(work);
        } catch (const std::system_error&) {
            break;  // a thread the system will not give is a job fewer, not a failure
        }
    }
    work();
    for (std::thread& thread : threads) thread.join();
}

#endif

}  // namespace kelvane::cli
