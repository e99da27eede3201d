#pragma once

#include <QObject>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <stop_token>
#include <string>
#include <thread>
#include <utility>

namespace orvane {

// Runs whole-log work off the interface thread: the overview's summary, the statistics,
// the maps, the alarm search and whatever a view needs that reads the whole log.
//
// Work runs on a worker thread of its own with a stop token; its result is delivered on
// the thread that owns the runner, through the event loop. Each job runs in a lane named
// by its caller ("map", "statistics"...): a new job in a lane abandons the one under way
// there, so a view that asks again never gets the older answer. An abandoned job is asked
// to stop and its result is never delivered; the runner does not wait for it (its thread
// is joined once it has finished). Abandon() abandons every lane at once, for when the
// log changes, and waits until the jobs have stopped, so that none of them still holds
// the old log's file.
class JobRunner : public QObject {
    Q_OBJECT

public:
    // What a job hands back to the interface thread: run there, unless the job was
    // abandoned meanwhile. An empty delivery delivers nothing.
    using Delivery = std::function<void()>;
    using Work = std::function<Delivery(std::stop_token)>;

    explicit JobRunner(QObject* parent = nullptr);
    // Stops every job and waits for its thread.
    ~JobRunner() override;

    // Starts `work` in `lane`, abandoning the job under way there. Its delivery is made
    // only while `receiver` (the object it delivers to) still exists.
    void Start(const std::string& lane, const QObject* receiver, Work work);

    // The usual shape: `compute` runs on the worker and returns a value; `done` receives
    // it on the interface thread.
    template <typename Compute, typename Done>
    void Run(const std::string& lane, const QObject* receiver, Compute compute, Done done) {
        Start(lane, receiver,
              [compute = std::move(compute),
               done = std::move(done)](std::stop_token stop) mutable -> Delivery {
                  auto result = std::make_shared<decltype(compute(stop))>(compute(stop));
                  if (stop.stop_requested()) return {};
                  return [done = std::move(done), result] { done(std::move(*result)); };
              });
    }

    // Abandons the job of one lane; or of every lane, waiting for them to stop.
    void Cancel(const std::string& lane);
    void Abandon();

    // True while a job of `lane` (of any lane) is under way and not abandoned.
    bool Busy(const std::string& lane) const;
    bool Busy() const;

    // Jobs started so far; for tests.
    std::uint64_t Started() const noexcept { return nextId_ - 1; }

signals:
    // A lane's job finished and its result was delivered (or it delivered nothing).
    void Finished(const QString& lane);

private:
    struct Job {
        std::string Lane;
        QPointer<const QObject> Receiver;
        std::jthread Thread;
        bool Current = true;  // false once abandoned
    };
    void Retire(Job& job);
    void Done(std::uint64_t id, Delivery delivery);

    std::map<std::uint64_t, Job> jobs_;
    std::map<std::string, std::uint64_t> current_;  // lane -> its current job
    std::uint64_t nextId_ = 1;
};

}  // namespace orvane
