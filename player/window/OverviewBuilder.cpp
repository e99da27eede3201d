#include "window/OverviewBuilder.h"

#include <QMetaObject>

namespace orvane {

OverviewBuilder::OverviewBuilder(QObject* parent) : QObject(parent) {}

OverviewBuilder::~OverviewBuilder() {
    Cancel();
}

bool OverviewBuilder::Start(const LogFile& log, OverviewRequest request) {
    Cancel();
    auto file = std::make_unique<LogFile>();
    if (!file->OpenDuplicateOf(log)) return false;
    const std::uint64_t generation = ++generation_;
    worker_ = std::jthread([this, generation, file = std::move(file),
                            request = std::move(request)](std::stop_token stop) mutable {
        std::string error;
        auto summary = OverviewSummary::Build(*file, std::move(request), stop, error);
        file->Close();
        if (!summary || stop.stop_requested()) return;
        auto shared = std::make_shared<const OverviewSummary>(std::move(*summary));
        // Handed to the owner's thread; dropped there if a newer summary was started
        // meanwhile, and by Qt if the builder is gone.
        QMetaObject::invokeMethod(
            this,
            [this, generation, shared] {
                if (generation == generation_) {
                    if (worker_.joinable()) worker_.join();
                    emit Ready(shared);
                }
            },
            Qt::QueuedConnection);
    });
    return true;
}

void OverviewBuilder::Cancel() {
    ++generation_;
    if (worker_.joinable()) {
        worker_.request_stop();
        worker_.join();
    }
}

}  // namespace orvane
