#pragma once

#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <vector>

namespace orvane {

class CommandSet;

// Delivers the player's keys to its commands in every player window: the main window
// and the windows of its views (map, statistics, chart) alike, so that Space plays or
// pauses and Ctrl+Q quits whichever of them is in front.
//
// It is an event filter on the application, so it sees a key before the focused control
// does (buttons take Space, the slider Left and Right), also while the play loop pumps
// events. Its keys win over every control but a text entry that has the focus, which
// keeps the keys it edits with (every key without Ctrl, and Ctrl+A, C, V, X, Z, Y, Left,
// Right, Home, End, Backspace and Delete); and a window other than the main one keeps the
// keys it names as its own (the chart's Escape, say). Dialogs and popups are windows of
// their own and are not watched: they keep their keys.
//
// A key that names a command is claimed, even when the command cannot run now (it then
// does nothing), so that no control acts on it instead. A held key repeats only the
// commands that repeat (the steps and jumps, the speeds); the others run once a press.
class CommandKeys : public QObject {
    Q_OBJECT

public:
    CommandKeys(const CommandSet& commands, QObject* parent = nullptr);
    ~CommandKeys() override;

    // The main window: its keys always win.
    void SetMainWindow(QWidget* window);
    // Another player window; `ownKeys` are the keys it keeps for itself.
    void AddWindow(QWidget* window, QList<QKeySequence> ownKeys = {});
    // The commands it delivers to, for the menus of the windows it watches.
    const CommandSet& Commands() const noexcept { return commands_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Watched {
        QPointer<QWidget> Window;
        QList<QKeySequence> OwnKeys;
    };
    // The watched window `widget` lies in; null for none.
    const Watched* WindowOf(const QObject* watched) const;

    const CommandSet& commands_;
    QPointer<QWidget> main_;
    std::vector<Watched> windows_;
};

}  // namespace orvane
