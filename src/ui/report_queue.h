// What a worker tells its page, handed over under a lock.
#pragma once

#include <cassert>
#include <mutex>
#include <utility>
#include <vector>

#include "win/thread_checker.h"

namespace quibo {

// The worker pushes reports; the page takes them all at once when the
// worker's notification message arrives. Push answers true only when the
// queue was empty, so the worker posts one notification per batch: a worker
// that reports faster than the page drains never floods the thread's message
// queue (Windows refuses posts past a per-thread quota). The page that made
// the queue is the one that takes from it.
template <typename Report>
class ReportQueue {
public:
    // Adds `report`; true when the page has to be told (the queue was empty).
    bool Push(Report report)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        reports_.push_back(std::move(report));
        return reports_.size() == 1;
    }

    // Everything pushed so far, oldest first; the queue is then empty.
    std::vector<Report> TakeAll()
    {
        assert(taker_.CalledOnValidThread());
        std::vector<Report> taken;
        std::lock_guard<std::mutex> lock(mutex_);
        taken.swap(reports_);
        return taken;
    }

private:
    std::mutex mutex_;
    std::vector<Report> reports_;
    ThreadChecker taker_;
};

}  // namespace quibo
