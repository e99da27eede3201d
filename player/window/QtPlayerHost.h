#pragma once

#include "views/common/PlayerHost.h"

namespace orvane {

// The real desktop: a real sleep, Qt's event processing, QMessageBox and QFileDialog.
class QtPlayerHost final : public PlayerHost {
public:
    void Sleep(int milliseconds) override;
    void DoEvents() override;
    void ShowMessage(QWidget* parent, const QString& title, const QString& text) override;
    std::optional<QString> ChooseOpenFile(QWidget* parent, const OpenFileRequest& request) override;
    std::optional<QString> ChooseSaveFile(QWidget* parent, const SaveFileRequest& request) override;
    void EndProgram(int status) override;

    // True once EndProgram was called; main() checks it before entering the event loop,
    // because a request to leave the loop made before the loop runs has no effect.
    bool Ended() const { return ended_; }
    int ExitStatus() const { return status_; }

private:
    bool ended_ = false;
    int status_ = 0;
};

}  // namespace orvane
