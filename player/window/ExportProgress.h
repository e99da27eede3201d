#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <chrono>
#include <cstdint>

class QLabel;
class QProgressBar;
class QPushButton;

namespace orvane {

class PlayerHost;

// The player's view of a running CSV export: a modal dialog with the lines written and
// a Cancel button. It appears once the export has run for `showAfter` (about half a
// second), and at once when the export has to wait for its CSV file because another
// export is writing it. Until it appears the export runs without pumping any events;
// while it is up, the events are pumped between blocks of lines so that it stays
// responsive, and the window behind it takes no input.
//
// Progress() and Waiting() are what the export calls back; both return false once the
// user has cancelled.
class ExportProgress : public QDialog {
    Q_OBJECT

public:
    ExportProgress(PlayerHost& host, QWidget* parent, const QString& csvName,
                   std::int64_t totalLines, std::chrono::milliseconds showAfter);

    bool Progress(std::int64_t linesWritten);
    bool Waiting(std::chrono::milliseconds waited);

    QLabel* Label() const { return label_; }
    QPushButton* CancelButton() const { return cancelButton_; }

protected:
    // Escape and the close box cancel like the button.
    void reject() override;

private:
    // Shows the dialog if needed and pumps the events, at most every few milliseconds.
    void Pump(bool now);

    PlayerHost& host_;
    QString csvName_;
    std::int64_t totalLines_;
    std::chrono::milliseconds showAfter_;
    QElapsedTimer started_;
    QElapsedTimer lastPump_;
    bool waitingShown_ = false;
    bool cancelled_ = false;
    QLabel* label_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
};

}  // namespace orvane
