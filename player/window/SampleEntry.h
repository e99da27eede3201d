#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <optional>

class QLineEdit;

namespace orvane {

class LogSession;
class TextBox;

// "Go to": an entry over the No. box of the transport strip, opened with Ctrl+J. The
// user types a sample number, or a time of day HH:MM:SS (the first sample at or after it,
// as orvane-csv's --from looks it up), and Enter shows that sample paused, as a seek.
// Escape, or leaving the entry, returns to the sample on display; an entry that names no
// sample of the log says why on the overview strip's note line and stays open to be
// corrected.
class SampleEntry : public QObject {
    Q_OBJECT

public:
    SampleEntry(LogSession& session, TextBox& numberBox);
    ~SampleEntry() override;

    // Opens the entry on the No. box with the cursor in it; nothing without a log.
    void Open();
    bool IsOpen() const;
    QLineEdit* Entry() const { return entry_; }

    // What a text asks for: a sample number, or a time of day in seconds (0 to 86399);
    // nullopt, with the reason, for anything else.
    struct Target {
        std::optional<std::int64_t> Sample;
        std::optional<int> SecondOfDay;
    };
    static std::optional<Target> Parse(const QString& text, QString* problem);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Go();
    void Close();
    void Refuse(const QString& problem);

    LogSession& session_;
    TextBox& numberBox_;
    QLineEdit* entry_ = nullptr;
};

}  // namespace orvane
