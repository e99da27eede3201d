#include "window/ExportRunner.h"

#include <QApplication>
#include <QCursor>
#include <filesystem>

#include "common/CleanPath.h"
#include "common/DeferredSignals.h"
#include "views/common/PlayerHost.h"
#include "window/ExportProgress.h"
#include "window/frmPlayer.h"

namespace orvane {
namespace {

// Shows the busy cursor for as long as it lives.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace

ExportRunner::ExportRunner(PlayerHost& host, QWidget& window, std::function<bool()> ended)
    : host_(host), window_(window), ended_(std::move(ended)) {}

std::optional<CsvExportResult> ExportRunner::Run(
    const std::string& csvPath, std::int64_t lines,
    const std::function<CsvExportResult(const CsvExportControl&)>& run) {
    CsvExportResult result;
    {
        // An ending signal stops the export, which takes back what it wrote, and then
        // ends the program.
        DeferredSignals endingSignals;
        const BusyCursor busy;
        ExportProgress progress(host_, &window_,
                                QString::fromStdString(std::filesystem::path(csvPath).filename()),
                                lines, progressDelay_);
        const auto goOn = [&] {
            return endingSignals.Pending() == 0 && !quitAfterwards_ && !ended_();
        };
        CsvExportControl control;
        control.Progress = [&](std::int64_t done) { return goOn() && progress.Progress(done); };
        control.Waiting = [&](std::chrono::milliseconds waited) {
            return goOn() && progress.Waiting(waited);
        };
        running_ = true;
        result = run(control);
        running_ = false;
        if (endingSignals.Pending() != 0) DeferredSignals::EndBySignal(endingSignals.Pending());
    }
    if (quitAfterwards_) {
        quitAfterwards_ = false;
        return std::nullopt;
    }
    if (!result.Ok && !result.Cancelled) {
        host_.ShowMessage(&window_, QString::fromLatin1(frmPlayer::ErrorTitle),
                          QStringLiteral("CSV ファイルに書き込めませんでした。\n%1\n%2")
                              .arg(QString::fromStdString(ShownPath(csvPath)),
                                   QString::fromStdString(result.Error)));
    }
    return result;
}

}  // namespace orvane
