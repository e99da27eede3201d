#include "window/PlayerShortcuts.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QPushButton>

#include "window/frmPlayer.h"

namespace orvane {

PlayerShortcuts::PlayerShortcuts(frmPlayer& window) : QObject(&window), window_(window) {
    setObjectName(QStringLiteral("PlayerShortcuts"));
    QCoreApplication::instance()->installEventFilter(this);
}

PlayerShortcuts::~PlayerShortcuts() {
    if (QCoreApplication* app = QCoreApplication::instance()) app->removeEventFilter(this);
}

bool PlayerShortcuts::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease &&
        type != QEvent::ShortcutOverride) {
        return false;
    }
    if (!BelongsToWindow(watched)) return false;
    const auto& key = static_cast<const QKeyEvent&>(*event);
    const Command command = CommandFor(key);
    if (command == Command::None) return false;

    // The key is the window's: no shortcut of a control takes it first (an accepted
    // override is delivered as a key press), the focused control never sees it, and
    // its release is swallowed with it.
    event->accept();
    if (type != QEvent::KeyPress || window_.Ended()) return true;
    if (key.isAutoRepeat() && !Repeats(command)) return true;
    Run(command);
    return true;
}

bool PlayerShortcuts::BelongsToWindow(QObject* watched) const {
    if (!watched->isWidgetType()) return false;
    const auto* widget = static_cast<const QWidget*>(watched);
    // isAncestorOf stops at windows: dialogs and popups keep their own keys.
    return widget == &window_ || window_.isAncestorOf(widget);
}

PlayerShortcuts::Command PlayerShortcuts::CommandFor(const QKeyEvent& key) {
    // The keypad's keys count as the main keys; Shift is needed for "+" on many layouts.
    const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
    const bool plain = modifiers == Qt::NoModifier;
    const bool control = modifiers == Qt::ControlModifier;
    switch (key.key()) {
        case Qt::Key_Space:
            return plain ? Command::PlayPause : Command::None;
        case Qt::Key_Left:
            return plain ? Command::Back : Command::None;
        case Qt::Key_Right:
            return plain ? Command::Next : Command::None;
        case Qt::Key_Home:
            return plain ? Command::Stop : Command::None;
        case Qt::Key_End:
            return plain ? Command::Last : Command::None;
        case Qt::Key_A:
            if (plain) return Command::NextAlarm;
            return modifiers == Qt::ShiftModifier ? Command::PreviousAlarm : Command::None;
        case Qt::Key_Plus:
            return (modifiers & ~Qt::ShiftModifier) == 0 ? Command::FasterSpeed : Command::None;
        case Qt::Key_Minus:
            return (modifiers & ~Qt::ShiftModifier) == 0 ? Command::SlowerSpeed : Command::None;
        case Qt::Key_O:
            if (plain) return Command::OutPoint;
            return control ? Command::Open : Command::None;
        case Qt::Key_E:
            if (modifiers == (Qt::ControlModifier | Qt::ShiftModifier)) return Command::ExportRange;
            return control ? Command::Output : Command::None;
        case Qt::Key_M:
            if (plain) return Command::Marker;
            return control ? Command::Map : Command::None;
        case Qt::Key_I:
            if (plain) return Command::InPoint;
            return control ? Command::Statistics : Command::None;
        case Qt::Key_BracketRight:
            return (modifiers & ~Qt::ShiftModifier) == 0 ? Command::NextMarker : Command::None;
        case Qt::Key_BracketLeft:
            return (modifiers & ~Qt::ShiftModifier) == 0 ? Command::PreviousMarker : Command::None;
        case Qt::Key_Escape:
            return plain ? Command::ClearRange : Command::None;
        case Qt::Key_Q:
            return control ? Command::Quit : Command::None;
        default:
            return Command::None;
    }
}

bool PlayerShortcuts::Repeats(Command command) {
    switch (command) {
        case Command::Back:
        case Command::Next:
        case Command::NextAlarm:
        case Command::PreviousAlarm:
        case Command::NextMarker:
        case Command::PreviousMarker:
        case Command::FasterSpeed:
        case Command::SlowerSpeed:
            return true;
        default:
            return false;
    }
}

void PlayerShortcuts::Run(Command command) {
    // QAbstractButton::click does nothing on a disabled button, and otherwise runs the
    // button's own handler.
    switch (command) {
        case Command::PlayPause:
            PlayOrPause();
            break;
        case Command::Back:
            window_.cmdBack->click();
            break;
        case Command::Next:
            window_.cmdNext->click();
            break;
        case Command::Stop:
            window_.cmdStop->click();
            break;
        case Command::Last:
            window_.ShowLastSample();
            break;
        case Command::NextAlarm:
            window_.JumpToAlarm(true);
            break;
        case Command::PreviousAlarm:
            window_.JumpToAlarm(false);
            break;
        case Command::Marker:
            window_.ToggleMarker(window_.ShownSample());
            break;
        case Command::NextMarker:
            window_.JumpToMarker(true);
            break;
        case Command::PreviousMarker:
            window_.JumpToMarker(false);
            break;
        case Command::InPoint:
            window_.SetInPoint(window_.ShownSample());
            break;
        case Command::OutPoint:
            window_.SetOutPoint(window_.ShownSample());
            break;
        case Command::ClearRange:
            window_.ClearRange();
            break;
        case Command::ExportRange:
            window_.ExportRange();
            break;
        case Command::Statistics:
            window_.ShowStatistics();
            break;
        case Command::FasterSpeed:
            StepSpeed(1);
            break;
        case Command::SlowerSpeed:
            StepSpeed(-1);
            break;
        case Command::Open:
            window_.cmdOpen->click();
            break;
        case Command::Output:
            window_.cmdOutput->click();
            break;
        case Command::Quit:
            window_.cmdClose->click();
            break;
        case Command::Map:
            window_.OpenMapWindow();
            break;
        case Command::None:
            break;
    }
}

void PlayerShortcuts::PlayOrPause() {
    if (window_.Timer1Enabled()) {
        window_.cmdPause->click();
        return;
    }
    // With no log Play is disabled, and so is Space: Resume would start nothing.
    if (!window_.cmdPlay->isEnabled()) return;
    // Paused: a sample is on display and the next one can be read. At the start (after
    // opening or Stop) and at the end of the log, play from the first sample.
    if (window_.State().PlayPosition > 1 && HasNextSample()) {
        window_.cmdPlay2->click();
    } else {
        window_.cmdPlay->click();
    }
}

bool PlayerShortcuts::HasNextSample() {
    // Whether the next playback step would find a record: at the end of the log, after
    // an export (which reads to the end of the file) and after the file was closed by
    // a cancelled open dialog it would not, and Resume would show nothing.
    LogFile& log = window_.State().LogFileHandle;
    if (!log.IsOpen()) return false;
    const std::int64_t position = log.Position();
    const bool found = log.ReadRecord().has_value();
    log.SetPosition(position);
    return found;
}

void PlayerShortcuts::StepSpeed(int step) {
    QComboBox* list = window_.cboSpeed;
    if (!list->isEnabled()) return;
    const int index = list->currentIndex() + step;
    if (index < 0 || index >= list->count()) return;  // no wrap past "x1" or "Max"
    // As a choice in the list: the selection moves and the list reports the choice.
    list->setCurrentIndex(index);
    Q_EMIT list->activated(index);
    Q_EMIT list->textActivated(list->itemText(index));
}

}  // namespace orvane
