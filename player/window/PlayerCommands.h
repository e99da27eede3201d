#pragma once

#include <QObject>
#include <string>

namespace orvane {

class CommandSet;
class PlayerHost;
class frmPlayer;

// What each of the player's commands does in the main window: it connects every action
// of the command set to its handler and keeps the actions' enabled state with the log.
// The commands of the window's buttons click the button, so that each does exactly what
// the button does, and nothing where the button is disabled:
//
//   Play / Pause  pause while playing; otherwise Resume when paused in the middle of the
//                 log, Play (from the first sample) at the start or when there is no next
//                 sample (the end of the log); nothing with no log
//   Back, Next, Stop, Open, Output, Quit   their buttons
//   Last          the last sample of the log, paused, like a seek with the slider
//   Next / Previous alarm   the next or previous alarm start, like a seek (searched in the
//                 background; with none left the overview strip says so)
//   Marker, In point, Out point   at the sample on display
//   Next / Previous marker   like a seek
//   Faster, Slower   the next or previous speed of the speed list, chosen as in the list
//   Compare with  a reference log chosen in the open dialog (or dropped with Shift held),
//                 reported like an open of the log when it cannot be opened
//
// No command runs once the program has ended, or while an export pumps events.
// Created as a child of the window; it lives and dies with it.
class PlayerCommands : public QObject {
    Q_OBJECT

public:
    PlayerCommands(frmPlayer& window, const CommandSet& commands, PlayerHost& host);
    ~PlayerCommands() override;

    // Opens `fileName` as the reference log of the open one; a file that cannot be opened
    // or has an invalid header is reported, and nothing changes.
    void CompareWith(const std::string& fileName);

private:
    void ChooseReference();
    void UpdateEnabled();
    void PlayOrPause();
    bool HasNextSample();
    void StepSpeed(int step);
    void ShowLastSample();
    void JumpToAlarm(bool forward);
    void JumpToMarker(bool forward);

    frmPlayer& window_;
    const CommandSet& commands_;
    PlayerHost& host_;
};

}  // namespace orvane
