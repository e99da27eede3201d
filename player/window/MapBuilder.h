#pragma once

#include <QObject>
#include <QString>
#include <memory>
#include <stop_token>
#include <thread>

#include "analysis/LogMap.h"
#include "log/LogFile.h"

namespace orvane {

// Computes maps of an open log on a thread of its own, so the window stays responsive
// while a long log is read. The worker reads an independent duplicate of the log's file:
// the player's read position never moves, and closing the player's log does not pull
// the file from under the worker.
//
// One map at a time: starting another, or cancelling, abandons the one under way, and
// its result is never delivered. Ready and Failed are emitted on the thread that owns
// the builder.
class MapBuilder : public QObject {
    Q_OBJECT

public:
    explicit MapBuilder(QObject* parent = nullptr);
    ~MapBuilder() override;

    // Starts computing the map of `request` over `log`. Returns false when the log is
    // not open or its file cannot be duplicated; nothing is then under way.
    bool Start(const LogFile& log, const MapRequest& request);
    // Abandons the map under way, if any; returns once the worker has stopped.
    void Cancel();
    bool Busy() const { return worker_.joinable(); }

signals:
    void Ready(std::shared_ptr<const LogMap> map);
    // The map could not be computed: the reason, as a sentence for the user.
    void Failed(QString reason);

private:
    std::jthread worker_;
    std::uint64_t generation_ = 0;
};

}  // namespace orvane
