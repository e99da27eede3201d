#include "views/ViewWindows.h"

#include <QKeySequence>
#include <QWidget>

#include "session/LogSession.h"
#include "views/chart/ChartWindow.h"
#include "views/common/CommandKeys.h"
#include "views/map/MapWindow.h"
#include "views/statistics/StatisticsWindow.h"

namespace orvane {

ViewWindows::ViewWindows(LogSession& session, PlayerHost& host, CommandKeys& keys, QWidget& player)
    : QObject(&player), session_(session), host_(host), keys_(keys), player_(player) {}

ViewWindows::~ViewWindows() = default;

void ViewWindows::Raise(QWidget* window) {
    window->show();
    window->raise();
    window->activateWindow();
}

void ViewWindows::ShowStatistics() {
    if (!session_.IsOpen()) return;
    if (!statistics_) {
        statistics_ = new StatisticsWindow(session_, &player_);
        // Ctrl+C copies the table there, not a command of the player.
        keys_.AddWindow(statistics_);
    }
    if (statistics_->isVisible()) statistics_->Refresh();
    Raise(statistics_);
}

void ViewWindows::ShowMap() {
    if (!session_.IsOpen()) return;
    if (!map_) {
        map_ = new MapWindow(session_, host_, &player_);
        keys_.AddWindow(map_);
        map_->RestorePlace(player_);
    }
    Raise(map_);
}

void ViewWindows::ShowChart() {
    if (!session_.IsOpen()) return;
    if (!chart_) {
        chart_ = new ChartWindow(session_, host_, &player_);
        // The chart keeps these keys: Escape clears its span rather than the range.
        keys_.AddWindow(
            chart_, {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::Key_F), QKeySequence(Qt::Key_Z),
                     QKeySequence(Qt::Key_L), QKeySequence(QKeySequence::Copy)});
        chart_->SetCommands(&keys_.Commands());
        chart_->RestorePlace(player_);
    }
    Raise(chart_);
}

void ViewWindows::SavePlaces() {
    if (map_ && map_->isVisible()) map_->SavePlace();
    if (chart_ && chart_->isVisible()) chart_->SavePlace();
}

}  // namespace orvane
