#pragma once

namespace orvane {

class PlayerCommandLine;
class frmPlayer;

// What the program does between creating its window and running the event loop:
// start-up (Form_Load), then, unless the layout failed and ended the program, shows the
// window and opens the log named on the command line, exactly as the Open button opens
// the file chosen in its dialog. A log that cannot be opened is reported as usual and
// the player stays up without a log. False when start-up ended the program: the window
// was never shown and no log was opened.
bool StartPlayer(frmPlayer& window, const PlayerCommandLine& commandLine);

}  // namespace orvane
