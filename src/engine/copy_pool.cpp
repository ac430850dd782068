#include "engine/copy_pool.h"

#include <chrono>
#include <system_error>

namespace vaultor {

CopyPool::CopyPool(int workers) {
    for (int i = 0; i < workers; ++i) {
        try {
            threads_.emplace_back([this] { Work(); });
        } catch (const std::system_error&) {
            break;  // fewer threads to be had: the ones there are do the work
        }
    }
}

CopyPool::~CopyPool() {
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
        waiting_.clear();
    }
    job_cv_.notify_all();
    for (auto& thread : threads_) thread.join();
}

void CopyPool::Submit(std::size_t number, Job job) {
    if (threads_.empty()) {  // no thread at all: here and now
        fs::CopyOutcome outcome = job();
        std::lock_guard lock(mutex_);
        done_[number] = outcome;
        return;
    }
    bool wake = false;
    {
        std::lock_guard lock(mutex_);
        waiting_.emplace_back(number, std::move(job));
        in_flight_.insert(number);
        wake = idle_ > 0;
    }
    if (wake) job_cv_.notify_one();
}

std::optional<fs::CopyOutcome> CopyPool::Take(std::size_t number,
                                              const std::function<void()>& waiting) {
    std::unique_lock lock(mutex_);
    while (!done_.count(number)) {
        std::size_t last = number;
        auto later = in_flight_.upper_bound(number);
        for (std::size_t n = 0; later != in_flight_.end() && n < kWakeAfter; ++later, ++n)
            last = *later;
        awaited_ = number;
        awaited_last_ = last;
        const bool there = done_cv_.wait_for(lock, std::chrono::milliseconds(50), [&] {
            return done_.count(number) != 0 && done_.count(last) != 0;
        });
        awaited_.reset();
        awaited_last_.reset();
        if (there) break;
        lock.unlock();
        waiting();
        lock.lock();
    }
    auto found = done_.find(number);
    std::optional<fs::CopyOutcome> outcome = found->second;
    done_.erase(found);
    return outcome;
}

void CopyPool::DropWaiting() {
    std::lock_guard lock(mutex_);
    for (const auto& job : waiting_) {
        done_[job.first] = std::nullopt;
        in_flight_.erase(job.first);
    }
    waiting_.clear();
    done_cv_.notify_all();
}

void CopyPool::Work() {
    std::unique_lock lock(mutex_);
    while (true) {
        ++idle_;
        job_cv_.wait(lock, [&] { return closing_ || !waiting_.empty(); });
        --idle_;
        if (closing_) return;
        auto [number, job] = std::move(waiting_.front());
        waiting_.pop_front();
        lock.unlock();
        fs::CopyOutcome outcome = job();
        lock.lock();
        done_[number] = outcome;
        in_flight_.erase(number);
        if (awaited_ == number || awaited_last_ == number) done_cv_.notify_one();
    }
}

}  // namespace vaultor
