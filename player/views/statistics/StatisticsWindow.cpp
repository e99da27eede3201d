#include "views/statistics/StatisticsWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>
#include <string>
#include <vector>

#include "session/LogSession.h"

namespace orvane {
namespace {

// Columns of numbers, aligned to the right: all but the item's name and its unit.
constexpr int kFirstNumberColumn = 2;

// What a column of the table tells of the minimum or the maximum: the value, the sample
// or the time where it was first reached. Taken from the headings (those that start with
// "Min" or "Max") so that the double-click follows the columns wherever they are.
enum class Extreme { None, Min, Max };

Extreme ExtremeOfColumn(int column) {
    static const std::vector<Extreme> kinds = [] {
        std::vector<Extreme> result;
        for (const std::string& heading : LogStatistics::HeaderCells()) {
            result.push_back(heading.starts_with("Min")   ? Extreme::Min
                             : heading.starts_with("Max") ? Extreme::Max
                                                          : Extreme::None);
        }
        return result;
    }();
    if (column < 0 || static_cast<std::size_t>(column) >= kinds.size()) return Extreme::None;
    return kinds[static_cast<std::size_t>(column)];
}

}  // namespace

StatisticsWindow::StatisticsWindow(LogSession& session, QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session) {
    setObjectName(QStringLiteral("frmStatistics"));
    setWindowTitle(QStringLiteral("Statistics"));
    heading_ = new QLabel(this);
    heading_->setObjectName(QStringLiteral("lblHeading"));
    table_ = new QTableWidget(this);
    table_->setObjectName(QStringLiteral("tblStatistics"));
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectItems);
    table_->verticalHeader()->hide();
    table_->setAlternatingRowColors(true);
    const std::vector<std::string> header = LogStatistics::HeaderCells();
    table_->setColumnCount(static_cast<int>(header.size()));
    QStringList labels;
    for (const std::string& cell : header) labels << QString::fromStdString(cell);
    table_->setHorizontalHeaderLabels(labels);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading_);
    layout->addWidget(table_);
    table_->installEventFilter(this);
    connect(table_, &QTableWidget::cellDoubleClicked, this, [this](int row, int column) {
        const std::int64_t sample = SampleAt(row, column);
        if (sample > 0) session_.RequestSeek(sample);
    });
    // The table follows the range, and the log, for as long as it shows.
    const auto follow = [this] {
        if (isVisible()) Refresh();
    };
    connect(&session_, &LogSession::RangeChanged, this, follow);
    // Nothing of another log stays on show.
    const auto forget = [this] {
        ShowProblem(QStringLiteral("No log is open."));
        if (isVisible()) Refresh();
    };
    connect(&session_, &LogSession::LogOpened, this, forget);
    connect(&session_, &LogSession::LogClosed, this, forget);
    resize(900, 420);
}

StatisticsWindow::~StatisticsWindow() = default;

void StatisticsWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Refresh();
}

bool StatisticsWindow::Computing() const {
    return session_.Jobs().Busy("statistics");
}

void StatisticsWindow::Refresh() {
    const std::shared_ptr<const LogFile> reader = session_.Reader();
    if (!session_.IsOpen() || !reader) {
        session_.Jobs().Cancel("statistics");
        ShowProblem(QStringLiteral("No log is open."));
        return;
    }
    // The thresholds of the value boxes that show each of the log's slots.
    std::array<SlotThresholds, SlotCount> thresholds{};
    for (const AlarmBox& box : session_.AlarmBoxes()) {
        SlotThresholds& slot = thresholds[static_cast<std::size_t>(box.Slot - 1)];
        if (slot.Threshold1 <= 0 && slot.Threshold2 <= 0) slot = {box.Threshold1, box.Threshold2};
    }
    const SampleRange range = session_.RangeOrWholeLog();
    // What is shown stays until the new figures come.
    if (!statistics_) heading_->setText(QStringLiteral("Computing the statistics\u2026"));
    struct Outcome {
        std::optional<LogStatistics> Statistics;
        std::string Error;
    };
    session_.Jobs().Run(
        "statistics", this,
        [reader, range, thresholds](std::stop_token stop) {
            Outcome outcome;
            outcome.Statistics =
                LogStatistics::Compute(*reader, range, thresholds, stop, outcome.Error);
            return outcome;
        },
        [this](Outcome outcome) {
            if (outcome.Statistics) {
                ShowStatistics(std::move(*outcome.Statistics));
            } else {
                ShowProblem(QString::fromStdString(outcome.Error));
            }
        });
}

void StatisticsWindow::ShowStatistics(LogStatistics statistics) {
    const QString logName = session_.DisplayName();
    statistics_ = std::move(statistics);
    const SampleRange range = statistics_->Range();
    heading_->setText(QStringLiteral("%1, samples %2 to %3 (%4 samples)")
                          .arg(logName)
                          .arg(range.First)
                          .arg(range.Last)
                          .arg(range.Count()));
    setWindowTitle(QStringLiteral("Statistics \u2014 %1").arg(logName));
    const auto& rows = statistics_->Rows();
    table_->setRowCount(static_cast<int>(rows.size()));
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const std::vector<std::string> cells = statistics_->Cells(rows[r]);
        for (std::size_t c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(QString::fromStdString(cells[c]));
            if (static_cast<int>(c) >= kFirstNumberColumn) {
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            }
            table_->setItem(static_cast<int>(r), static_cast<int>(c), item);
        }
    }
    table_->resizeColumnsToContents();
}

void StatisticsWindow::ShowProblem(const QString& text) {
    statistics_.reset();
    heading_->setText(text);
    table_->setRowCount(0);
}

QString StatisticsWindow::Heading() const {
    return heading_->text();
}

QString StatisticsWindow::CopyText() const {
    return statistics_ ? QString::fromStdString(statistics_->TabSeparatedText()) : QString();
}

std::int64_t StatisticsWindow::SampleAt(int row, int column) const {
    if (!statistics_ || row < 0 || static_cast<std::size_t>(row) >= statistics_->Rows().size()) {
        return 0;
    }
    const StatisticsRow& line = statistics_->Rows()[static_cast<std::size_t>(row)];
    if (line.RowKind != StatisticsRow::Kind::Value) return 0;
    switch (ExtremeOfColumn(column)) {
        case Extreme::Min:
            return line.MinSample;
        case Extreme::Max:
            return line.MaxSample;
        case Extreme::None:
            break;
    }
    return 0;
}

void StatisticsWindow::CopyAll() const {
    QApplication::clipboard()->setText(CopyText());
}

bool StatisticsWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == table_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
        CopyAll();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void StatisticsWindow::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        CopyAll();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace orvane
