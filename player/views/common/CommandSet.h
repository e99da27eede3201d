#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <optional>

class QAction;
class QKeyEvent;

namespace orvane {

// The player's commands, each one QAction with its text, its keys and its enabled
// state. Keys, menus and buttons of every player window use these actions; the main
// window connects each one to its handler. A command that acts on a sample (a marker,
// an in point) acts on the sample on display.
enum class Command {
    PlayPause,
    Back,
    Next,
    Stop,
    Last,
    GoTo,
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
    Map,
    Chart,
    Compare,
    StopComparing,
    FasterSpeed,
    SlowerSpeed,
    Open,
    Output,
    Quit,
};
inline constexpr int CommandCount = static_cast<int>(Command::Quit) + 1;

class CommandSet : public QObject {
    Q_OBJECT

public:
    explicit CommandSet(QObject* parent = nullptr);
    ~CommandSet() override;

    QAction* Action(Command command) const;
    // Triggers the command when it is enabled (as a key or a menu would).
    void Trigger(Command command) const;

    // The command a key press asks for, whatever window it went to; nullopt for a key
    // that is no command. The keypad's keys count as the main keys, and Shift makes no
    // difference to "+", "-", "]" and "[" (many layouts need it for them).
    std::optional<Command> CommandForKey(const QKeyEvent& key) const;

    // The keys and what they do, one line each ("  Space         pause while playing..."),
    // for the program's --help.
    static QString KeyTable();

private:
    std::array<QAction*, CommandCount> actions_{};
};

}  // namespace orvane
