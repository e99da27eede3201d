#include "window/MapBuilder.h"

#include <QMetaObject>

namespace orvane {

MapBuilder::MapBuilder(QObject* parent) : QObject(parent) {}

MapBuilder::~MapBuilder() {
    Cancel();
}

bool MapBuilder::Start(const LogFile& log, const MapRequest& request) {
    Cancel();
    auto file = std::make_unique<LogFile>();
    if (!log.IsOpen() || !file->OpenDuplicateOf(log)) return false;
    const std::uint64_t generation = ++generation_;
    worker_ = std::jthread(
        [this, generation, file = std::move(file), request](std::stop_token stop) mutable {
            std::string error;
            auto map = LogMap::Compute(*file, request, stop, error);
            file->Close();
            if (stop.stop_requested()) return;
            std::shared_ptr<const LogMap> shared;
            if (map) shared = std::make_shared<const LogMap>(std::move(*map));
            const QString reason = QString::fromStdString(error);
            // Handed to the owner's thread; dropped there if a newer map was started
            // meanwhile, and by Qt if the builder is gone.
            QMetaObject::invokeMethod(
                this,
                [this, generation, shared, reason] {
                    if (generation != generation_) return;
                    if (worker_.joinable()) worker_.join();
                    if (shared) {
                        emit Ready(shared);
                    } else {
                        emit Failed(reason);
                    }
                },
                Qt::QueuedConnection);
        });
    return true;
}

void MapBuilder::Cancel() {
    ++generation_;
    if (worker_.joinable()) {
        worker_.request_stop();
        worker_.join();
    }
}

}  // namespace orvane
