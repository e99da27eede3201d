#pragma once

#include <QWidget>
#include <cstdint>
#include <optional>
#include <vector>

#include "analysis/LogStatistics.h"
#include "analysis/StatisticsComparison.h"

class QLabel;
class QLineEdit;
class QTableWidget;

namespace orvane {

class LogSession;

// The statistics of the items of a log over a range of samples, in two tables: one row
// per item (the computed items of the settings file after the log's own) with its unit,
// minimum, maximum and mean, where the minimum and the maximum were first reached, and
// the samples and time at or above the value box's thresholds; and, below, one row per
// switch with its ON samples and time. A double-click on a minimum or a maximum (or its
// sample or time) asks to show that sample; Ctrl+C copies the tables as tab-separated
// text, as `orvane-csv --stats` prints them.
//
// The filter field above the tables takes a condition on the samples (`tps > 90 && rpm >
// 3000`): only the samples where it holds are counted, and the heading says how many
// remain. It is kept in the log's marks file; a condition that does not compile turns
// the field red and says why, and is not applied; Escape in the field clears it. Computed
// items that the log cannot give, and settings sections that could not be used, are
// listed under the tables.
//
// While the session compares the log with a reference log, the tables show the
// reference's figures and the differences (log − reference) beside the log's, items
// matched by item whatever slot order each logger used; the reference is taken over its
// own in/out range, with the same computed items and filter.
//
// It covers the session's range (the whole log without one) and follows it, the log,
// the reference and the filter, while it is shown. The statistics are computed on the session's job
// runner: the window says so meanwhile, and the player answers. It opens at the size of
// its tables, within the screen.
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
    // The comparison on show while comparing with a reference log.
    const std::optional<StatisticsComparison>& Comparison() const { return comparison_; }
    QString CopyText() const;
    QTableWidget* Table() const { return table_; }
    QTableWidget* SwitchTable() const { return switchTable_; }
    QLineEdit* FilterField() const { return filter_; }
    QString Heading() const;
    // The lines under the tables (absent computed items, unusable sections).
    QString NotesText() const;

    // The sample a double-click on `row`, `column` of the value table shows; 0 for cells
    // without one.
    std::int64_t SampleAt(int row, int column) const;

protected:
    void showEvent(QShowEvent* event) override;
    // Ctrl+C copies both tables, also while a table has the focus (it would copy one cell);
    // Escape in the filter field clears the filter.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Shows `statistics` (and `comparison`, when comparing), under a title naming the
    // log, the range and the filter.
    void ShowStatistics(LogStatistics statistics, std::optional<StatisticsComparison> comparison);
    // The headings of both tables, for plain statistics or a comparison.
    void SetHeadings(bool comparing);
    // Shows why there are no statistics (no log, an empty range...).
    void ShowProblem(const QString& text);
    void ShowNotes(const std::vector<std::string>& notes);
    // Applies the filter field's condition, or marks the field when it cannot be used.
    void ApplyFilter();
    void MarkFilter(const QString& problem);
    // Grows the window to show its tables whole, within the screen.
    void FitToTables();
    void CopyAll() const;

    LogSession& session_;
    QLabel* heading_;
    QLineEdit* filter_;
    QTableWidget* table_;
    QTableWidget* switchTable_;
    QLabel* notes_;
    std::optional<LogStatistics> statistics_;
    std::optional<StatisticsComparison> comparison_;
    // The statistics' value rows and switch rows, by table row.
    std::vector<std::size_t> valueRows_;
    std::vector<std::size_t> switchRows_;
    bool fitted_ = false;  // sized to its tables once since it opened
};

}  // namespace orvane
