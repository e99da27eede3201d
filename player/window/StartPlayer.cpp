#include "window/StartPlayer.h"

#include "window/PlayerCommandLine.h"
#include "window/frmPlayer.h"

namespace orvane {

bool StartPlayer(frmPlayer& window, const PlayerCommandLine& commandLine) {
    window.Form_Load();
    if (window.Ended()) return false;
    // Shown first, so that a message about the log has the window under it.
    window.show();
    if (commandLine.LogName) window.OpenLogFile(*commandLine.LogName);
    return !window.Ended();
}

}  // namespace orvane
