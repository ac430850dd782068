#include "fs/time_limit.h"

#include <condition_variable>
#include <mutex>
#include <new>
#include <set>
#include <system_error>
#include <thread>

namespace vaultor::fs {
namespace {

struct Waiter {
    std::mutex mutex;
    std::condition_variable done_cv;
    bool done = false;
};

struct BusyKeys {
    std::mutex mutex;
    std::set<std::string> keys;
};

// Never destroyed: a worker that hangs past the end of the program may still
// come back and sign off.
BusyKeys& Busy() {
    alignas(BusyKeys) static unsigned char storage[sizeof(BusyKeys)];
    static BusyKeys* busy = ::new (storage) BusyKeys;
    return *busy;
}

}  // namespace

bool RunWithTimeLimit(const std::string& key, std::chrono::milliseconds limit,
                      std::function<void()> work) {
    {
        std::lock_guard lock(Busy().mutex);
        if (!Busy().keys.insert(key).second) return false;
    }
    auto waiter = std::make_shared<Waiter>();
    try {
        std::thread([waiter, key, work = std::move(work)] {
            work();
            // The key is free before the answer is given: a query that follows
            // at once must not find its drive busy with the one just answered.
            {
                std::lock_guard lock(Busy().mutex);
                Busy().keys.erase(key);
            }
            {
                std::lock_guard lock(waiter->mutex);
                waiter->done = true;
            }
            waiter->done_cv.notify_all();
        }).detach();
    } catch (const std::system_error&) {  // no thread to be had: no answer
        std::lock_guard lock(Busy().mutex);
        Busy().keys.erase(key);
        return false;
    }
    std::unique_lock lock(waiter->mutex);
    return waiter->done_cv.wait_for(lock, limit, [&] { return waiter->done; });
}

bool RunWatched(std::function<void()> work, const std::function<bool(std::int64_t)>& watch) {
    auto waiter = std::make_shared<Waiter>();
    auto task = [waiter, work = std::move(work)] {
        work();
        {
            std::lock_guard lock(waiter->mutex);
            waiter->done = true;
        }
        waiter->done_cv.notify_all();
    };
    try {
        std::thread(task).detach();
    } catch (const std::system_error&) {  // no thread to be had: here, unwatched
        task();
        return true;
    }
    const auto began = std::chrono::steady_clock::now();
    std::unique_lock lock(waiter->mutex);
    while (!waiter->done_cv.wait_for(lock, std::chrono::milliseconds(50),
                                     [&] { return waiter->done; })) {
        lock.unlock();
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - began);
        bool go_on = watch(elapsed.count());
        lock.lock();
        if (!go_on)
            return waiter->done_cv.wait_for(lock, std::chrono::seconds(1),
                                            [&] { return waiter->done; });
    }
    return true;
}

}  // namespace vaultor::fs
