// The little threading that converting several songs at once needs. The
// Windows tool chain's C++ library has no std::thread (GCC's win32 thread
// model), so on Windows these stand on the system's own primitives.
#pragma once

#include <functional>
#include <memory>

namespace kelvane::cli {

// A lock and a condition to wait for under it.
class Monitor {
public:
    Monitor();
    ~Monitor();
    Monitor(const Monitor&) = delete;
    Monitor& operator=(const Monitor&) = delete;

    // Runs `action` holding the lock.
    void Locked(const std::function<void()>& action);
    // Holding the lock, waits until `ready()` is true.
    void WaitUntil(const std::function<bool()>& ready);
    // Wakes every waiter to ask its condition again; call it holding the lock.
    void WakeAll();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Runs `work` on `count` threads at once and returns when all have returned.
// `work` must not throw.
void RunThreads(unsigned count, const std::function<void()>& work);

}  // namespace kelvane::cli
