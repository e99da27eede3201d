#pragma once

#include <QObject>
#include <memory>
#include <stop_token>
#include <thread>

#include "analysis/OverviewSummary.h"
#include "log/LogFile.h"

namespace orvane {

// Summarises an open log for the overview strip on a thread of its own, so the window
// stays responsive while a long log is read. The worker reads an independent duplicate
// of the log's file: the player's read position never moves, and closing the player's
// log does not pull the file from under the worker.
//
// One summary at a time: starting another, or cancelling, abandons the one under way,
// and its result is never delivered. Ready is emitted on the thread that owns the builder.
class OverviewBuilder : public QObject {
    Q_OBJECT

public:
    explicit OverviewBuilder(QObject* parent = nullptr);
    ~OverviewBuilder() override;

    // Starts summarising `log` (which must be open) for `request`. Returns false when the
    // file cannot be duplicated; nothing is then under way.
    bool Start(const LogFile& log, OverviewRequest request);
    // Abandons the summary under way, if any; returns once the worker has stopped.
    void Cancel();
    bool Busy() const { return worker_.joinable(); }

signals:
    void Ready(std::shared_ptr<const OverviewSummary> summary);

private:
    std::jthread worker_;
    std::uint64_t generation_ = 0;
};

}  // namespace orvane
