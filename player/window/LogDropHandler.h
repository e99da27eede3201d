#pragma once

#include <QObject>
#include <QString>
#include <optional>

class QMimeData;

namespace orvane {

class frmPlayer;

// Opens a log file dropped on the player window, like the Open button does with the
// file chosen in its dialog: playback stops, the loaded log is closed and the dropped
// one loaded, with its path as LogFileName. A file that cannot be opened or is no
// valid log gives the usual message and leaves the player without a log.
//
// What a drop may carry:
// - several files: the first one, in the order of the drag, is opened (as with several
//   names on the command line); the others are ignored;
// - folders are passed over: a folder is not a log, and which of its logs to open is
//   not for the player to guess; a drop of folders only is refused;
// - URLs that are not local files (web addresses, remote shares) are refused: the log
//   is read with random access and locked while it is loaded;
// - anything else (text, images) is refused.
// A refused drag shows the "no drop" cursor and changes nothing. An accepted drop is a
// copy (or a link, when that is all the source offers), never a move, so the program
// the file came from never deletes it.
//
// The file is opened just after the drop event, once the program it came from has its
// answer, so that a message about a bad log does not hold that program's drag.
//
// Created as a child of the window; it lives and dies with it.
class LogDropHandler : public QObject {
    Q_OBJECT

public:
    explicit LogDropHandler(frmPlayer& window);

    // The local file that a drop of `data` opens, by the rules above; nullopt when
    // the drop is refused.
    static std::optional<QString> LogFileOf(const QMimeData& data);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    frmPlayer& window_;
};

}  // namespace orvane
