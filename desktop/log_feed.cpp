// The feed between a batch's thread and the window's.
#include "log_feed.h"

#include <utility>

void LogFeed::Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    clear_ = true;
    rows_.clear();
}

void LogFeed::Add(LogRow row) {
    std::lock_guard<std::mutex> lock(mutex_);
    rows_.push_back(std::move(row));
}

void LogFeed::Progress(unsigned done, unsigned total) {
    total_.store(total, std::memory_order_relaxed);
    done_.store(done, std::memory_order_relaxed);
}

LogFeed::Taken LogFeed::Take() {
    Taken taken;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        taken.clear = clear_;
        taken.rows.swap(rows_);
        clear_ = false;
    }
    taken.done = done_.load(std::memory_order_relaxed);
    taken.total = total_.load(std::memory_order_relaxed);
    return taken;
}
