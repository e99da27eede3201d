#pragma once

#include <QObject>

class QKeyEvent;

namespace orvane {

class frmPlayer;

// The player window's keys. Each one does what a button of the window does, by
// clicking that button, so it does exactly what the button does and nothing where the
// button is disabled:
//
//   Space        Pause while playing; otherwise Resume when paused in the middle of
//                the log, Play (from the first sample) when at the start or when
//                there is no next sample (the end of the log). Nothing with no log.
//   Left, Right  Back, Next
//   Home         Stop
//   End          the last sample of the log, paused, like a seek with the slider
//   A, Shift+A   the next or previous alarm start, like a seek (nothing with none left)
//   M            a marker at the sample on display, or away with the one there
//   ], [         the next or previous marker, like a seek
//   I, O         the in or out point of the range at the sample on display
//   Escape       clears the range
//   Ctrl+Shift+E the range (or the whole log) to a CSV file of its own
//   Ctrl+I       the statistics of the range (or the whole log)
//   +, -         the next or previous speed of the speed list, chosen as in the list
//   Ctrl+O       Open        Ctrl+E  Output        Ctrl+Q  Quit
//   Ctrl+M       the map window (opened or raised; nothing without a log)
//
// The keys belong to the window whatever control has the focus: the buttons, the speed
// list and the slider have keys of their own (Space clicks a button, Left, Right and
// Home move the slider), and the window's keys win. That is why this is an event filter
// on the application rather than a set of QShortcuts: it sees a key before the focused
// control does, in tests as on the desktop, and also while the play loop pumps events.
// It takes only key events sent to the window or to a control inside it; dialogs and
// the speed list's open popup are windows of their own and keep their keys.
//
// Held keys repeat for Left, Right, A, Shift+A, ], [, + and - only; any other held key
// does its work once (one export, marker or window per press, not one per repeat).
//
// Created as a child of the window; it lives and dies with it.
class PlayerShortcuts : public QObject {
    Q_OBJECT

public:
    explicit PlayerShortcuts(frmPlayer& window);
    ~PlayerShortcuts() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Command {
        None,
        PlayPause,
        Back,
        Next,
        Stop,
        Last,
        NextAlarm,
        PreviousAlarm,
        Marker,
        NextMarker,
        PreviousMarker,
        InPoint,
        OutPoint,
        ClearRange,
        ExportRange,
        Statistics,
        FasterSpeed,
        SlowerSpeed,
        Open,
        Output,
        Quit,
        Map
    };

    static Command CommandFor(const QKeyEvent& key);
    static bool Repeats(Command command);
    bool BelongsToWindow(QObject* watched) const;
    void Run(Command command);
    void PlayOrPause();
    void StepSpeed(int step);
    bool HasNextSample();

    frmPlayer& window_;
};

}  // namespace orvane
