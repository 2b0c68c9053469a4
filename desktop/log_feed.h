// What a batch running on its own thread hands the window: its lines, in
// order, and how far it has come. The batch side may be called from any
// thread; the window takes what has gathered in one go, so that the log grows
// in groups, not one repaint per file.
#ifndef QUILLON_DESKTOP_LOG_FEED_H
#define QUILLON_DESKTOP_LOG_FEED_H

#include <atomic>
#include <mutex>
#include <vector>

#include "log_row.h"

class LogFeed {
  public:
    struct Taken {
        bool clear = false;  // empty the log before adding `rows`
        std::vector<LogRow> rows;
        unsigned done = 0;
        unsigned total = 0;  // 0 while the batch has not said
    };

    // The log is to be emptied; lines not taken yet are dropped with it.
    void Clear();
    void Add(LogRow row);
    void Progress(unsigned done, unsigned total);
    // Everything since the last call.
    Taken Take();

  private:
    std::mutex mutex_;
    bool clear_ = false;
    std::vector<LogRow> rows_;
    // Counted for every file: no lock, only what the count shows hangs on it.
    std::atomic<unsigned> done_{0};
    std::atomic<unsigned> total_{0};
};

#endif
