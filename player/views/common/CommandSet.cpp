#include "views/common/CommandSet.h"

#include <QAction>
#include <QKeyEvent>
#include <QKeySequence>

namespace orvane {
namespace {

struct CommandDef {
    Command Id;
    const char* Name;  // the action's object name
    const char* Text;  // its text in menus
    QKeyCombination Key;
    bool Repeats;    // a held key repeats it
    bool ShiftFree;  // Shift may be held with the key
    const char* Help;
};

constexpr Qt::KeyboardModifiers kControl = Qt::ControlModifier;

const CommandDef kCommands[CommandCount] = {
    {Command::PlayPause, "actPlayPause", "Play / Pause", QKeyCombination(Qt::Key_Space), false,
     false, "pause; else resume, or play from the first sample at the start or end"},
    {Command::Back, "actBack", "Back", QKeyCombination(Qt::Key_Left), true, false,
     "one sample back (Back)"},
    {Command::Next, "actNext", "Next", QKeyCombination(Qt::Key_Right), true, false,
     "one sample forward (Next)"},
    {Command::Stop, "actStop", "Stop", QKeyCombination(Qt::Key_Home), false, false,
     "stop and go back to the first sample (Stop)"},
    {Command::Last, "actLast", "Last sample", QKeyCombination(Qt::Key_End), false, false,
     "the last sample of the log, paused"},
    {Command::GoTo, "actGoTo", "Go to\u2026", QKeyCombination(kControl, Qt::Key_J), false, false,
     "go to a sample number or a time of day HH:MM:SS typed in the No. box"},
    {Command::NextAlarm, "actNextAlarm", "Next alarm", QKeyCombination(Qt::Key_A), true, false,
     "the next alarm start"},
    {Command::PreviousAlarm, "actPreviousAlarm", "Previous alarm",
     QKeyCombination(Qt::ShiftModifier, Qt::Key_A), true, false, "the previous alarm start"},
    {Command::Marker, "actMarker", "Set or remove marker", QKeyCombination(Qt::Key_M), false, false,
     "a marker at the sample on display, or away with the one there"},
    {Command::NextMarker, "actNextMarker", "Next marker", QKeyCombination(Qt::Key_BracketRight),
     true, true, "the next marker"},
    {Command::PreviousMarker, "actPreviousMarker", "Previous marker",
     QKeyCombination(Qt::Key_BracketLeft), true, true, "the previous marker"},
    {Command::InPoint, "actInPoint", "Set in point", QKeyCombination(Qt::Key_I), false, false,
     "the in point of the range at the sample on display"},
    {Command::OutPoint, "actOutPoint", "Set out point", QKeyCombination(Qt::Key_O), false, false,
     "the out point of the range at the sample on display"},
    {Command::ClearRange, "actClearRange", "Clear range", QKeyCombination(Qt::Key_Escape), false,
     false, "clear the range"},
    {Command::ExportRange, "actExportRange", "Export range\u2026",
     QKeyCombination(kControl | Qt::ShiftModifier, Qt::Key_E), false, false,
     "the range (or the whole log) to a CSV file of its own"},
    {Command::Statistics, "actStatistics", "Statistics\u2026", QKeyCombination(kControl, Qt::Key_I),
     false, false, "the statistics of the range (or the whole log)"},
    {Command::Map, "actMap", "Map\u2026", QKeyCombination(kControl, Qt::Key_M), false, false,
     "the map window"},
    {Command::Chart, "actChart", "Chart\u2026", QKeyCombination(kControl, Qt::Key_G), false, false,
     "the chart window"},
    {Command::Compare, "actCompare", "Compare with\u2026",
     QKeyCombination(kControl | Qt::ShiftModifier, Qt::Key_O), false, false,
     "compare with a reference log: chosen in the open dialog, drawn beside the log"},
    {Command::StopComparing, "actStopComparing", "Stop comparing",
     QKeyCombination(kControl | Qt::ShiftModifier, Qt::Key_W), false, false,
     "stop comparing: the reference log is let go"},
    {Command::FasterSpeed, "actFaster", "Faster", QKeyCombination(Qt::Key_Plus), true, true,
     "the next speed of the speed list"},
    {Command::SlowerSpeed, "actSlower", "Slower", QKeyCombination(Qt::Key_Minus), true, true,
     "the previous speed of the speed list"},
    {Command::Open, "actOpen", "Open\u2026", QKeyCombination(kControl, Qt::Key_O), false, false,
     "Open"},
    {Command::Output, "actOutput", "Output", QKeyCombination(kControl, Qt::Key_E), false, false,
     "Output"},
    {Command::Quit, "actQuit", "Quit", QKeyCombination(kControl, Qt::Key_Q), false, false, "Quit"},
};

const CommandDef& Def(Command command) {
    return kCommands[static_cast<int>(command)];
}

}  // namespace

CommandSet::CommandSet(QObject* parent) : QObject(parent) {
    setObjectName(QStringLiteral("CommandSet"));
    for (int i = 0; i < CommandCount; ++i) {
        const CommandDef& def = kCommands[i];
        Q_ASSERT(static_cast<int>(def.Id) == i);
        auto* action = new QAction(QString::fromUtf8(def.Text), this);
        action->setObjectName(QString::fromLatin1(def.Name));
        action->setShortcut(QKeySequence(def.Key));
        // The keys reach the commands through CommandKeys, which sees them before any
        // control does; a shortcut of the action's own would only fire inside a menu.
        action->setShortcutContext(Qt::WidgetShortcut);
        action->setAutoRepeat(def.Repeats);
        actions_[static_cast<std::size_t>(i)] = action;
    }
}

CommandSet::~CommandSet() = default;

QAction* CommandSet::Action(Command command) const {
    return actions_[static_cast<std::size_t>(command)];
}

void CommandSet::Trigger(Command command) const {
    QAction* action = Action(command);
    if (action->isEnabled()) action->trigger();
}

std::optional<Command> CommandSet::CommandForKey(const QKeyEvent& key) const {
    const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
    for (const CommandDef& def : kCommands) {
        if (def.Key.key() != key.key()) continue;
        Qt::KeyboardModifiers wanted = def.Key.keyboardModifiers();
        Qt::KeyboardModifiers held = modifiers;
        if (def.ShiftFree) held &= ~Qt::ShiftModifier;
        if (held == wanted) return def.Id;
    }
    return std::nullopt;
}

QString CommandSet::KeyTable() {
    QString table;
    for (const CommandDef& def : kCommands) {
        const QString key = QKeySequence(def.Key).toString(QKeySequence::PortableText);
        table += QStringLiteral("  %1 %2\n").arg(key, -13).arg(QString::fromUtf8(def.Help));
    }
    return table;
}

}  // namespace orvane
