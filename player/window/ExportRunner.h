#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "log/CsvExport.h"

class QWidget;

namespace orvane {

class PlayerHost;

// Runs the player's CSV exports (Output and the range export) the way a user can trust:
// the busy cursor, after about half a second a progress dialog with Cancel, the events
// pumped meanwhile (no handler of the window runs while Running()), an ending signal
// (SIGTERM, SIGHUP, SIGINT) that stops the export and takes back what it wrote before the
// program ends, and a close of the window that waits for the export to be taken back.
class ExportRunner {
public:
    static constexpr std::chrono::milliseconds ProgressDelay{500};

    // `ended` tells whether the program has ended meanwhile: the export then stops.
    ExportRunner(PlayerHost& host, QWidget& window, std::function<bool()> ended);

    // Runs `run` with the control its export calls back, for an export of `lines` lines
    // to `csvPath`. A failure is reported to the user. nullopt when the window was closed
    // meanwhile: the caller then unloads it.
    std::optional<CsvExportResult> Run(
        const std::string& csvPath, std::int64_t lines,
        const std::function<CsvExportResult(const CsvExportControl&)>& run);

    bool Running() const { return running_; }
    // The window is to close: the export under way is cancelled first.
    void QuitAfterwards() { quitAfterwards_ = true; }
    void SetProgressDelay(std::chrono::milliseconds delay) { progressDelay_ = delay; }

private:
    PlayerHost& host_;
    QWidget& window_;
    bool running_ = false;
    std::function<bool()> ended_;
    bool quitAfterwards_ = false;
    std::chrono::milliseconds progressDelay_ = ProgressDelay;
};

}  // namespace orvane
