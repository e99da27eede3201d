#pragma once

// A desktop for tests: sleeps are recorded instead of slept, the event pump runs a
// scripted command, messages and dialogs are recorded and answered, and the end of the
// program is a flag.

#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "views/common/PlayerHost.h"

namespace orvane::testing {

class FakePlayerHost : public PlayerHost {
public:
    void Sleep(int milliseconds) override {
        sleeps.push_back(milliseconds);
        sleptSincePump_ = true;
    }

    void DoEvents() override {
        ++pumps;
        pumpInWait = sleptSincePump_;
        sleptSincePump_ = false;
        if (onPump) {
            // The command runs once, like a click handled by the pump.
            auto command = std::move(onPump);
            onPump = nullptr;
            command();
        }
    }

    void ShowMessage(QWidget*, const QString& title, const QString& text) override {
        messageTitles.push_back(title);
        messages.push_back(text);
    }

    std::optional<QString> ChooseOpenFile(QWidget*, const OpenFileRequest& request) override {
        openRequests.push_back(request);
        return openAnswer;
    }

    std::optional<QString> ChooseSaveFile(QWidget*, const SaveFileRequest& request) override {
        saveRequests.push_back(request);
        return saveAnswer;
    }

    void EndProgram(int status) override {
        ended = true;
        exitStatus = status;
    }

    std::vector<int> sleeps;
    int pumps = 0;
    // True during a pump that follows a sleep: one inside a playback wait (below "Max").
    bool pumpInWait = false;
    std::function<void()> onPump;
    std::vector<QString> messages;
    std::vector<QString> messageTitles;
    std::vector<OpenFileRequest> openRequests;
    std::optional<QString> openAnswer;
    std::vector<SaveFileRequest> saveRequests;
    std::optional<QString> saveAnswer;
    bool ended = false;
    int exitStatus = -1;

private:
    bool sleptSincePump_ = false;
};

}  // namespace orvane::testing
