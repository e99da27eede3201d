#include "views/common/CommandKeys.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

#include "views/common/CommandSet.h"

namespace orvane {
namespace {

// True for a control the user types into, with the focus.
bool IsTextEntry(const QWidget* widget) {
    if (!widget) return false;
    if (const auto* line = qobject_cast<const QLineEdit*>(widget)) return !line->isReadOnly();
    if (qobject_cast<const QAbstractSpinBox*>(widget) || qobject_cast<const QTextEdit*>(widget) ||
        qobject_cast<const QPlainTextEdit*>(widget)) {
        return true;
    }
    const auto* combo = qobject_cast<const QComboBox*>(widget);
    return combo && combo->isEditable();
}

// True for a key a text entry edits with.
bool IsEditingKey(const QKeyEvent& key) {
    const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
    if (!modifiers.testFlag(Qt::ControlModifier)) return true;
    switch (key.key()) {
        case Qt::Key_A:
        case Qt::Key_C:
        case Qt::Key_V:
        case Qt::Key_X:
        case Qt::Key_Z:
        case Qt::Key_Y:
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Home:
        case Qt::Key_End:
        case Qt::Key_Backspace:
        case Qt::Key_Delete:
            return true;
        default:
            return false;
    }
}

}  // namespace

CommandKeys::CommandKeys(const CommandSet& commands, QObject* parent)
    : QObject(parent), commands_(commands) {
    setObjectName(QStringLiteral("CommandKeys"));
    QCoreApplication::instance()->installEventFilter(this);
}

CommandKeys::~CommandKeys() {
    if (QCoreApplication* app = QCoreApplication::instance()) app->removeEventFilter(this);
}

void CommandKeys::SetMainWindow(QWidget* window) {
    main_ = window;
}

void CommandKeys::AddWindow(QWidget* window, QList<QKeySequence> ownKeys) {
    windows_.push_back({window, std::move(ownKeys)});
}

const CommandKeys::Watched* CommandKeys::WindowOf(const QObject* watched) const {
    const auto* widget = static_cast<const QWidget*>(watched);
    // isAncestorOf stops at windows: dialogs and popups are not part of the window.
    for (const Watched& w : windows_) {
        if (w.Window && (widget == w.Window || w.Window->isAncestorOf(widget))) return &w;
    }
    return nullptr;
}

bool CommandKeys::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease &&
        type != QEvent::ShortcutOverride) {
        return false;
    }
    if (!watched->isWidgetType()) return false;
    const auto* widget = static_cast<const QWidget*>(watched);
    const auto& key = static_cast<const QKeyEvent&>(*event);
    const bool inMain = main_ && (widget == main_ || main_->isAncestorOf(widget));
    if (!inMain) {
        const Watched* other = WindowOf(watched);
        if (!other) return false;
        const QKeySequence pressed(key.keyCombination());
        for (const QKeySequence& own : other->OwnKeys) {
            if (own == pressed) return false;
        }
    }
    // A text entry that has the focus (the map's axes, the main window's Go to) keeps
    // the keys it edits with.
    if (IsTextEntry(widget) && IsEditingKey(key)) return false;
    const std::optional<Command> command = commands_.CommandForKey(key);
    if (!command) return false;

    // The key is the player's: no shortcut of a control takes it first (an accepted
    // override is delivered as a key press), the focused control never sees it, and its
    // release is swallowed with it.
    event->accept();
    if (type != QEvent::KeyPress) return true;
    QAction* action = commands_.Action(*command);
    if (key.isAutoRepeat() && !action->autoRepeat()) return true;
    if (action->isEnabled()) action->trigger();
    return true;
}

}  // namespace orvane
