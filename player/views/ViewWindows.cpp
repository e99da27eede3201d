#include "views/ViewWindows.h"

#include <QWidget>

#include "session/LogSession.h"
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

void ViewWindows::SavePlaces() {
    if (map_ && map_->isVisible()) map_->SavePlace();
}

}  // namespace orvane
