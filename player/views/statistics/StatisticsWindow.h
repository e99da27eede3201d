#pragma once

#include <QWidget>
#include <cstdint>
#include <optional>

#include "analysis/LogStatistics.h"

class QLabel;
class QTableWidget;

namespace orvane {

class LogSession;

// The statistics of the items of a log over a range of samples, as a table: one row per
// item (one per switch for the switch bytes) with its unit, minimum, maximum and mean,
// where the minimum and the maximum were first reached, and the samples and time at or
// above the value box's thresholds. A double-click on a minimum or a maximum (or its
// sample or time) asks to show that sample; Ctrl+C copies the table as tab-separated
// text, as `orvane-csv --stats` prints it.
//
// It covers the session's range (the whole log without one) and follows it, and the log,
// while it is shown. The statistics are computed on the session's job runner: the window
// says so meanwhile, and the player answers.
class StatisticsWindow : public QWidget {
    Q_OBJECT

public:
    explicit StatisticsWindow(LogSession& session, QWidget* parent = nullptr);
    ~StatisticsWindow() override;

    // Computes the statistics of the session's range anew.
    void Refresh();
    // True while statistics are being computed.
    bool Computing() const;

    // What is shown, and the text Ctrl+C copies (empty without statistics).
    const std::optional<LogStatistics>& Statistics() const { return statistics_; }
    QString CopyText() const;
    QTableWidget* Table() const { return table_; }
    QString Heading() const;

    // The sample a double-click on `row`, `column` shows; 0 for cells without one.
    std::int64_t SampleAt(int row, int column) const;

protected:
    void showEvent(QShowEvent* event) override;
    // Ctrl+C copies the whole table, also while the table has the focus (it would copy
    // one cell).
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Shows `statistics`, under a title naming the log and the range.
    void ShowStatistics(LogStatistics statistics);
    // Shows why there are no statistics (no log, an empty range...).
    void ShowProblem(const QString& text);
    // Puts the whole table on the clipboard, as CopyText().
    void CopyAll() const;

    LogSession& session_;
    QLabel* heading_;
    QTableWidget* table_;
    std::optional<LogStatistics> statistics_;
};

}  // namespace orvane
