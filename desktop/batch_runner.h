// Runs one batch at a time (a drop, an undo) on a thread of its own, so that
// the window goes on painting and answering meanwhile. The batch hands its
// lines and progress to a LogFeed; the window's thread takes them a few times
// a second and once more at the end.
#ifndef QUILLON_DESKTOP_BATCH_RUNNER_H
#define QUILLON_DESKTOP_BATCH_RUNNER_H

#include <QTimer>

#include <stdint.h>

#include <functional>
#include <thread>

#include "log_feed.h"

class QObject;

// What a batch did: files renamed (or put back), and files left as they were.
struct BatchTotals {
    unsigned done = 0;
    unsigned left = 0;
    bool ran = true;  // false when the batch found nothing to do
    // The journal's number of the batch a drop wrote (0: it renamed nothing),
    // or of the batch an undo took back whole (0: some of it is still left).
    uint64_t batch = 0;
};

class BatchRunner {
  public:
    // Runs on the batch's thread.
    typedef std::function<BatchTotals(LogFeed*)> Job;
    // Run on the window's thread.
    typedef std::function<void(LogFeed::Taken)> Delivery;
    typedef std::function<void(BatchTotals)> Finished;

    // `context` is the window: what the batch hands over is delivered on its
    // thread, and not after it is gone.
    BatchRunner(QObject* context, Delivery deliver);
    // Waits for a batch that still runs.
    ~BatchRunner();
    BatchRunner(const BatchRunner&) = delete;
    BatchRunner& operator=(const BatchRunner&) = delete;

    bool Running() const {
        return running_;
    }
    // Starts `job`; `finished` follows on the window's thread once it has
    // returned and its last lines were delivered. Not while one runs.
    void Start(Job job, Finished finished);
    // Blocks until the running batch has returned (its end is still delivered
    // from the event loop).
    void Wait();

  private:
    void DeliverGathered();
    void Finish(BatchTotals totals);

    QObject* context_;
    Delivery deliver_;
    QTimer timer_;
    LogFeed feed_;
    std::thread thread_;
    Finished finished_;
    bool running_ = false;
};

#endif
