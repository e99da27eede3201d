#pragma once

#include <QString>
#include <optional>

class QWidget;

namespace orvane {

// What the player needs from the desktop beyond its own widgets: the sleep and event
// pump of the play loop's wait, modal messages, the open and save dialogs and ending
// the program. Kept behind this seam so that tests can run commands "inside the pump"
// deterministically, answer dialogs and see the end of the program without sleeping,
// blocking or exiting.
class PlayerHost {
public:
    virtual ~PlayerHost() = default;

    virtual void Sleep(int milliseconds) = 0;
    // Runs all pending user-interface events and returns.
    virtual void DoEvents() = 0;

    // A modal message box with an exclamation icon and an OK button.
    virtual void ShowMessage(QWidget* parent, const QString& title, const QString& text) = 0;

    // The modal open-file dialog; nullopt when the user cancels.
    struct OpenFileRequest {
        QString Title;
        QString InitialFolder;
        QString Filter;  // Qt filter text, one choice per ";;"
    };
    virtual std::optional<QString> ChooseOpenFile(QWidget* parent,
                                                  const OpenFileRequest& request) = 0;

    // The modal save-file dialog (it asks before replacing a file); nullopt when the
    // user cancels.
    struct SaveFileRequest {
        QString Title;
        QString InitialPath;    // the folder and the proposed name
        QString Filter;         // Qt filter text, one choice per ";;"
        QString DefaultSuffix;  // added to a name typed without one
    };
    virtual std::optional<QString> ChooseSaveFile(QWidget* parent,
                                                  const SaveFileRequest& request) = 0;

    // Ends the program with the given exit status. The window stops handling events
    // before it calls this; the host makes the process end once control is back in
    // the event loop (or at once, before the loop runs).
    virtual void EndProgram(int status) = 0;
};

}  // namespace orvane
