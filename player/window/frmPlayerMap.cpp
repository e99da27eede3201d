// The map window: opening it, and what it follows of the player.
#include "window/MapWindow.h"
#include "window/frmPlayer.h"

namespace orvane {

void frmPlayer::OpenMapWindow() {
    if (ended_ || !state_.LogLoaded) return;
    if (!mapWindow) {
        mapWindow = new MapWindow(host_, state_.LogFileHandle, this);
        connect(this, &frmPlayer::RangeChanged, mapWindow, [this] { UpdateMapSource(); });
        connect(this, &frmPlayer::SampleShown, mapWindow, &MapWindow::ShowSample);
        connect(mapWindow, &MapWindow::SeekRequested, this, &frmPlayer::RequestSeek);
        mapWindow->RestorePlace(*this);
        UpdateMapSource();
    }
    mapWindow->show();
    mapWindow->raise();
    mapWindow->activateWindow();
}

void frmPlayer::UpdateMapSource() {
    if (!mapWindow) return;
    mapWindow->SetSource(LogOpen(), state_.LogFileName, range_);
}

void frmPlayer::SaveMapWindowPlace() {
    if (mapWindow && mapWindow->isVisible()) mapWindow->SavePlace();
}

}  // namespace orvane
