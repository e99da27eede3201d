// The one runner of whole-log work: off the interface thread, delivered on it, one job
// per lane, nothing delivered once abandoned, nothing left running when it goes.
#include <QCoreApplication>
#include <QThread>
#include <QtTest/QTest>
#include <atomic>
#include <memory>
#include <stdexcept>

#include "session/JobRunner.h"

namespace orvane {
namespace {

// Waits until `lane` (every lane) of the runner is idle.
bool Settle(const JobRunner& runner, const std::string& lane = {}) {
    return QTest::qWaitFor([&] { return lane.empty() ? !runner.Busy() : !runner.Busy(lane); },
                           10000);
}

// Work that runs until it is told to stop (or a second has passed).
int UntilStopped(std::stop_token stop, std::atomic<bool>& started) {
    started = true;
    for (int i = 0; i < 1000 && !stop.stop_requested(); ++i) QThread::msleep(1);
    return stop.stop_requested() ? -1 : 1;
}

TEST(JobRunner, WorkRunsOffTheInterfaceThreadAndItsResultArrivesOnIt) {
    JobRunner runner;
    QObject receiver;
    const QThread* interface = QThread::currentThread();
    std::atomic<const QThread*> worker{nullptr};
    const QThread* deliveredOn = nullptr;
    int result = 0;
    runner.Run(
        "sum", &receiver,
        [&](std::stop_token) {
            worker = QThread::currentThread();
            return 6 * 7;
        },
        [&](int value) {
            deliveredOn = QThread::currentThread();
            result = value;
        });
    EXPECT_TRUE(runner.Busy("sum"));
    EXPECT_FALSE(runner.Busy("other"));
    ASSERT_TRUE(Settle(runner));
    EXPECT_EQ(result, 42);
    EXPECT_NE(worker.load(), interface);
    EXPECT_EQ(deliveredOn, interface);
}

TEST(JobRunner, ANewJobInALaneAbandonsTheOldOneAndOtherLanesGoOn) {
    JobRunner runner;
    QObject receiver;
    std::atomic<bool> firstStarted{false}, otherStarted{false};
    std::vector<int> delivered;
    runner.Run(
        "map", &receiver, [&](std::stop_token stop) { return UntilStopped(stop, firstStarted); },
        [&](int) { delivered.push_back(1); });
    runner.Run(
        "statistics", &receiver,
        [&](std::stop_token stop) {
            otherStarted = true;
            return stop.stop_requested() ? -1 : 3;
        },
        [&](int value) { delivered.push_back(value); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return firstStarted.load(); }, 5000));
    runner.Run(
        "map", &receiver, [](std::stop_token) { return 2; },
        [&](int value) { delivered.push_back(value); });
    ASSERT_TRUE(Settle(runner));
    // The first map was stopped and never delivered; the other lane was not touched.
    std::sort(delivered.begin(), delivered.end());
    EXPECT_EQ(delivered, (std::vector<int>{2, 3}));
}

TEST(JobRunner, AbandonStopsEveryLaneAndWaitsUntilNoJobHoldsWhatItRead) {
    JobRunner runner;
    QObject receiver;
    // What a job reads (the old log's file) is released once Abandon returns.
    auto file = std::make_shared<int>(7);
    std::atomic<bool> started{false};
    bool delivered = false;
    for (const char* lane : {"overview", "map"}) {
        runner.Run(
            lane, &receiver,
            [file, &started](std::stop_token stop) { return UntilStopped(stop, started); },
            [&](int) { delivered = true; });
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return started.load(); }, 5000));
    runner.Abandon();
    EXPECT_FALSE(runner.Busy());
    EXPECT_EQ(file.use_count(), 1);
    QTest::qWait(50);
    EXPECT_FALSE(delivered);
}

TEST(JobRunner, AGoneReceiverOrAFailedJobGetsNothingAndTheLaneIsFreeAgain) {
    JobRunner runner;
    bool delivered = false;
    {
        auto receiver = std::make_unique<QObject>();
        runner.Run(
            "map", receiver.get(),
            [](std::stop_token) {
                QThread::msleep(20);
                return 1;
            },
            [&](int) { delivered = true; });
    }
    ASSERT_TRUE(Settle(runner));
    EXPECT_FALSE(delivered);

    QObject receiver;
    runner.Run(
        "map", &receiver, [](std::stop_token) -> int { throw std::runtime_error("unreadable"); },
        [&](int) { delivered = true; });
    ASSERT_TRUE(Settle(runner));
    EXPECT_FALSE(delivered);
    EXPECT_EQ(runner.Started(), 2u);
}

TEST(JobRunner, ARunnerThatGoesStopsItsJobsFirst) {
    std::atomic<bool> started{false};
    std::atomic<int> finished{0};
    QObject receiver;
    {
        JobRunner runner;
        runner.Run(
            "overview", &receiver,
            [&](std::stop_token stop) {
                const int result = UntilStopped(stop, started);
                ++finished;
                return result;
            },
            [](int) {});
        ASSERT_TRUE(QTest::qWaitFor([&] { return started.load(); }, 5000));
    }
    EXPECT_EQ(finished.load(), 1);
    // What the job posted before it went is dropped with the runner.
    QCoreApplication::processEvents();
}

}  // namespace
}  // namespace orvane
