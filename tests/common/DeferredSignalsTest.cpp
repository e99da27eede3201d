#include "common/DeferredSignals.h"

#include <gtest/gtest.h>

#include <csignal>

namespace orvane {
namespace {

volatile std::sig_atomic_t ownHandlerRuns = 0;

TEST(DeferredSignalsTest, NotesEndingSignalsLeavesIgnoredOnesAndHandsOnWhatItNoted) {
    std::signal(SIGTERM, [](int) { ownHandlerRuns = ownHandlerRuns + 1; });
    std::signal(SIGHUP, SIG_IGN);  // as nohup starts a program
    {
        const DeferredSignals deferred;
        std::raise(SIGHUP);
        EXPECT_EQ(deferred.Pending(), 0);
        std::raise(SIGTERM);
        std::raise(SIGINT);
        EXPECT_EQ(deferred.Pending(), SIGTERM);  // the first one counts
        EXPECT_EQ(ownHandlerRuns, 0);
    }
    // The handler from before is back, and gets the signal that was not acted on.
    EXPECT_EQ(ownHandlerRuns, 1);
    std::signal(SIGTERM, SIG_DFL);
    std::signal(SIGHUP, SIG_DFL);
}

}  // namespace
}  // namespace orvane
