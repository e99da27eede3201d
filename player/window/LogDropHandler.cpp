#include "window/LogDropHandler.h"

#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

#include "window/PlayerCommands.h"
#include "window/frmPlayer.h"

namespace orvane {

LogDropHandler::LogDropHandler(frmPlayer& window) : QObject(&window), window_(window) {
    setObjectName(QStringLiteral("LogDropHandler"));
    // None of the window's controls takes drops, so a drop anywhere on it lands here.
    window.setAcceptDrops(true);
    window.installEventFilter(this);
}

std::optional<QString> LogDropHandler::LogFileOf(const QMimeData& data) {
    if (!data.hasUrls()) return std::nullopt;
    for (const QUrl& url : data.urls()) {
        if (!url.isLocalFile()) continue;
        const QString path = url.toLocalFile();
        if (path.isEmpty() || QFileInfo(path).isDir()) continue;
        return path;
    }
    return std::nullopt;
}

bool LogDropHandler::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched != &window_ ||
        (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)) {
        return false;
    }
    auto* drop = static_cast<QDropEvent*>(event);  // DragEnter and DragMove derive from it
    const std::optional<QString> file =
        window_.Ended() || !drop->mimeData() ? std::nullopt : LogFileOf(*drop->mimeData());
    // A copy, or else a link; a source that offers only to move the file is refused.
    const Qt::DropActions offered = drop->possibleActions();
    const Qt::DropAction action = offered.testFlag(Qt::CopyAction)   ? Qt::CopyAction
                                  : offered.testFlag(Qt::LinkAction) ? Qt::LinkAction
                                                                     : Qt::IgnoreAction;
    if (!file || action == Qt::IgnoreAction) {
        drop->ignore();
        return true;
    }
    drop->setDropAction(action);
    drop->accept();
    if (type == QEvent::Drop) {
        const std::string name = QFile::encodeName(*file).toStdString();
        // With Shift held the log is compared with the open one instead of replacing it.
        const bool compare =
            drop->modifiers().testFlag(Qt::ShiftModifier) && window_.Session().IsOpen();
        QMetaObject::invokeMethod(
            this,
            [this, name, compare] {
                if (!compare) return window_.OpenLogFile(name);
                if (auto* commands = window_.findChild<PlayerCommands*>())
                    commands->CompareWith(name);
            },
            Qt::QueuedConnection);
    }
    return true;
}

}  // namespace orvane
