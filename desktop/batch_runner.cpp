// The batch's thread and the hand-over to the window's.
#include "batch_runner.h"

#include <QObject>

#include <utility>

namespace {

// How often the window takes the lines gathered meanwhile: often enough to
// look live, seldom enough that the log does not repaint per file.
const int kDeliverMilliseconds = 50;

}  // namespace

BatchRunner::BatchRunner(QObject* context, Delivery deliver) : context_(context), deliver_(std::move(deliver)) {
    timer_.setInterval(kDeliverMilliseconds);
    QObject::connect(&timer_, &QTimer::timeout, context_, [this] { DeliverGathered(); });
}

BatchRunner::~BatchRunner() {
    Wait();
}

void BatchRunner::Start(Job job, Finished finished) {
    running_ = true;
    finished_ = std::move(finished);
    // Nothing of the last batch carries over, its count included.
    feed_.Take();
    feed_.Progress(0, 0);
    timer_.start();
    thread_ = std::thread([this, job] {
        BatchTotals totals = job(&feed_);
        QMetaObject::invokeMethod(
            context_, [this, totals] { Finish(totals); }, Qt::QueuedConnection);
    });
}

void BatchRunner::Wait() {
    if (thread_.joinable()) thread_.join();
}

void BatchRunner::DeliverGathered() {
    deliver_(feed_.Take());
}

void BatchRunner::Finish(BatchTotals totals) {
    Wait();
    timer_.stop();
    DeliverGathered();
    running_ = false;
    Finished finished = std::move(finished_);
    finished_ = nullptr;
    if (finished) finished(totals);
}
