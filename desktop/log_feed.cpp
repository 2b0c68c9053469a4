// The feed between a batch's thread and the window's.
#include "log_feed.h"

#include <utility>

void LogFeed::Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    pending_.clear = true;
    pending_.rows.clear();
}

void LogFeed::Add(LogRow row) {
    std::lock_guard<std::mutex> lock(mutex_);
    pending_.rows.push_back(std::move(row));
}

void LogFeed::Progress(unsigned done, unsigned total) {
    std::lock_guard<std::mutex> lock(mutex_);
    pending_.done = done;
    pending_.total = total;
}

LogFeed::Taken LogFeed::Take() {
    std::lock_guard<std::mutex> lock(mutex_);
    Taken taken = std::move(pending_);
    pending_ = Taken();
    // The count stands until the batch moves it on.
    pending_.done = taken.done;
    pending_.total = taken.total;
    return taken;
}
