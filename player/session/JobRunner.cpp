#include "session/JobRunner.h"

#include <QMetaObject>
#include <cstdio>
#include <exception>

namespace orvane {

JobRunner::JobRunner(QObject* parent) : QObject(parent) {}

JobRunner::~JobRunner() {
    for (auto& [id, job] : jobs_) job.Thread.request_stop();
    // Each thread is joined as its job goes; what they post meanwhile is dropped with
    // the runner.
    jobs_.clear();
}

void JobRunner::Start(const std::string& lane, const QObject* receiver, Work work) {
    Cancel(lane);
    const std::uint64_t id = nextId_++;
    Job& job = jobs_[id];
    job.Lane = lane;
    job.Receiver = receiver;
    current_[lane] = id;
    job.Thread = std::jthread([this, id, work = std::move(work)](std::stop_token stop) mutable {
        Delivery delivery;
        try {
            delivery = work(stop);
        } catch (const std::exception& error) {
            // A job that fails delivers nothing; the view keeps what it showed.
            std::fprintf(stderr, "OrvanePlayer: background work failed: %s\n", error.what());
        }
        // What the work hands back runs on the runner's thread. The runner outlives this
        // thread (it joins every thread before it goes), and a call still queued when it
        // goes is dropped with it.
        QMetaObject::invokeMethod(
            this,
            [this, id, delivery = std::move(delivery)]() mutable { Done(id, std::move(delivery)); },
            Qt::QueuedConnection);
    });
}

void JobRunner::Done(std::uint64_t id, Delivery delivery) {
    const auto found = jobs_.find(id);
    if (found == jobs_.end()) return;
    const bool current = found->second.Current;
    const bool received = found->second.Receiver != nullptr;
    const std::string lane = found->second.Lane;
    // The thread has posted this as its last act: joining it takes no time.
    if (found->second.Thread.joinable()) found->second.Thread.join();
    jobs_.erase(found);
    if (!current) return;
    current_.erase(lane);
    // A receiver that has gone gets nothing.
    if (!received) return;
    if (delivery) delivery();
    emit Finished(QString::fromStdString(lane));
}

void JobRunner::Retire(Job& job) {
    job.Current = false;
    job.Thread.request_stop();
}

void JobRunner::Cancel(const std::string& lane) {
    const auto found = current_.find(lane);
    if (found == current_.end()) return;
    const auto job = jobs_.find(found->second);
    if (job != jobs_.end()) Retire(job->second);
    current_.erase(found);
}

void JobRunner::Abandon() {
    for (auto& [id, job] : jobs_) {
        if (job.Current) Retire(job);
    }
    current_.clear();
    // Every job stops at its next check of the stop token; once they have, nothing of
    // them holds the old log's file (and its lock) any more.
    for (auto& [id, job] : jobs_) {
        if (job.Thread.joinable()) job.Thread.join();
    }
}

bool JobRunner::Busy(const std::string& lane) const {
    return current_.contains(lane);
}

bool JobRunner::Busy() const {
    return !current_.empty();
}

}  // namespace orvane
