#include "views/statistics/StatisticsWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>
#include <string>
#include <vector>

#include "analysis/ElapsedTime.h"
#include "session/LogSession.h"
#include "views/common/ComputedItemDialog.h"

namespace orvane {
namespace {

constexpr const char* kLane = "statistics";

// Columns of numbers, aligned to the right: all but the item's name and its unit (of the
// value table) or the switch's name (of the switch table).
constexpr int kFirstNumberColumn = 2;
constexpr int kFirstSwitchNumberColumn = 1;

// What a column of the table tells of the minimum or the maximum: the value, the sample
// or the time where it was first reached. Taken from the headings (those that start with
// "Min" or "Max") so that the double-click follows the columns wherever they are.
// In a comparison only the open log's own columns lead to its samples: not those of the
// reference ("Ref min") nor the differences ("Min diff").
enum class Extreme { None, Min, Max };

Extreme ExtremeOfColumn(bool comparing, int column) {
    const auto kinds = [](const std::vector<std::string>& headings) {
        std::vector<Extreme> result;
        for (const std::string& heading : headings) {
            const bool own = heading.find("diff") == std::string::npos;
            result.push_back(own && heading.starts_with("Min")   ? Extreme::Min
                             : own && heading.starts_with("Max") ? Extreme::Max
                                                                 : Extreme::None);
        }
        return result;
    };
    static const std::vector<Extreme> plain = kinds(LogStatistics::HeaderCells());
    static const std::vector<Extreme> compared = kinds(StatisticsComparison::HeaderCells());
    const std::vector<Extreme>& which = comparing ? compared : plain;
    if (column < 0 || static_cast<std::size_t>(column) >= which.size()) return Extreme::None;
    return which[static_cast<std::size_t>(column)];
}

void SetLabels(QTableWidget* table, const std::vector<std::string>& header) {
    table->setColumnCount(static_cast<int>(header.size()));
    QStringList labels;
    for (const std::string& cell : header) labels << QString::fromStdString(cell);
    table->setHorizontalHeaderLabels(labels);
}

QTableWidget* MakeTable(QWidget* parent, const char* name, const std::vector<std::string>& header) {
    auto* table = new QTableWidget(parent);
    table->setObjectName(QString::fromLatin1(name));
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectItems);
    table->verticalHeader()->hide();
    table->setAlternatingRowColors(true);
    SetLabels(table, header);
    return table;
}

template <typename Table>
void Fill(QTableWidget* table, const Table& statistics, const std::vector<std::size_t>& rows,
          int firstNumberColumn) {
    table->setRowCount(static_cast<int>(rows.size()));
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const std::vector<std::string> cells = statistics.Cells(statistics.Rows()[rows[r]]);
        for (std::size_t c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(QString::fromStdString(cells[c]));
            if (static_cast<int>(c) >= firstNumberColumn) {
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            }
            table->setItem(static_cast<int>(r), static_cast<int>(c), item);
        }
    }
    table->resizeColumnsToContents();
}

// The size a table needs to show every row and column without scrolling.
QSize WholeSize(const QTableWidget* table) {
    int width = 2 * table->frameWidth() + table->verticalHeader()->width();
    for (int c = 0; c < table->columnCount(); ++c) width += table->columnWidth(c);
    int height = 2 * table->frameWidth() + table->horizontalHeader()->height();
    for (int r = 0; r < table->rowCount(); ++r) height += table->rowHeight(r);
    return {width, height};
}

}  // namespace

StatisticsWindow::StatisticsWindow(LogSession& session, QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session) {
    setObjectName(QStringLiteral("frmStatistics"));
    setWindowTitle(QStringLiteral("Statistics"));
    heading_ = new QLabel(this);
    heading_->setObjectName(QStringLiteral("lblHeading"));
    filter_ = new QLineEdit(this);
    filter_->setObjectName(QStringLiteral("txtFilter"));
    filter_->setPlaceholderText(
        QStringLiteral("all samples (for example: tps > 90 && rpm > 3000)"));
    filter_->setClearButtonEnabled(true);
    filter_->installEventFilter(this);
    auto* filterLabel = new QLabel(QStringLiteral("&Filter:"), this);
    filterLabel->setBuddy(filter_);
    auto* newItem = new QPushButton(QStringLiteral("New computed item\u2026"), this);
    newItem->setObjectName(QStringLiteral("cmdNewComputed"));
    connect(newItem, &QPushButton::clicked, this, [this] {
        ComputedItemDialog dialog(session_, this);
        dialog.exec();
    });
    auto* filterRow = new QHBoxLayout;
    filterRow->addWidget(filterLabel);
    filterRow->addWidget(filter_, 1);
    filterRow->addWidget(newItem);
    table_ = MakeTable(this, "tblStatistics", LogStatistics::HeaderCells());
    switchTable_ = MakeTable(this, "tblSwitches", LogStatistics::SwitchHeaderCells());
    notes_ = new QLabel(this);
    notes_->setObjectName(QStringLiteral("lblNotes"));
    notes_->setWordWrap(true);
    notes_->hide();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading_);
    layout->addLayout(filterRow);
    layout->addWidget(table_, 3);
    layout->addWidget(switchTable_, 1);
    layout->addWidget(notes_);
    for (QTableWidget* table : {table_, switchTable_}) table->installEventFilter(this);
    connect(table_, &QTableWidget::cellDoubleClicked, this, [this](int row, int column) {
        const std::int64_t sample = SampleAt(row, column);
        if (sample > 0) session_.RequestSeek(sample);
    });
    connect(filter_, &QLineEdit::editingFinished, this, &StatisticsWindow::ApplyFilter);
    connect(filter_, &QLineEdit::textEdited, this, [this] { MarkFilter({}); });
    // The tables follow the range, the filter and the log for as long as they show.
    const auto follow = [this] {
        if (!filter_->hasFocus()) filter_->setText(QString::fromStdString(session_.Filter()));
        if (isVisible()) Refresh();
    };
    connect(&session_, &LogSession::RangeChanged, this, follow);
    connect(&session_, &LogSession::FormulasChanged, this, follow);
    connect(&session_, &LogSession::ReferenceChanged, this, follow);
    // Nothing of another log stays on show.
    const auto forget = [this, follow] {
        ShowProblem(QStringLiteral("No log is open."));
        follow();
    };
    connect(&session_, &LogSession::LogOpened, this, forget);
    connect(&session_, &LogSession::LogClosed, this, forget);
    filter_->setText(QString::fromStdString(session_.Filter()));
    resize(900, 420);
}

StatisticsWindow::~StatisticsWindow() {
    // The entries lose the focus as the window goes, and would report their editing
    // finished to a window that is no longer there.
    for (QLineEdit* entry : findChildren<QLineEdit*>()) entry->blockSignals(true);
}

void StatisticsWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) fitted_ = false;
    Refresh();
}

bool StatisticsWindow::Computing() const {
    return session_.Jobs().Busy(kLane);
}

void StatisticsWindow::Refresh() {
    const std::shared_ptr<const LogFile> reader = session_.Reader();
    if (!session_.IsOpen() || !reader) {
        session_.Jobs().Cancel(kLane);
        ShowProblem(QStringLiteral("No log is open."));
        return;
    }
    // The thresholds of the value boxes that show each of the log's slots.
    std::array<SlotThresholds, SlotCount> thresholds{};
    for (const AlarmBox& box : session_.AlarmBoxes()) {
        SlotThresholds& slot = thresholds[static_cast<std::size_t>(box.Slot - 1)];
        if (slot.Threshold1 <= 0 && slot.Threshold2 <= 0) slot = {box.Threshold1, box.Threshold2};
    }
    std::string error;
    std::optional<FormulaSet> formulas = session_.Formulas(error);
    if (!formulas) {
        ShowProblem(QString::fromStdString(error));
        return;
    }
    const SampleRange range = session_.RangeOrWholeLog();
    // What is shown stays until the new figures come.
    if (!statistics_) heading_->setText(QStringLiteral("Computing the statistics\u2026"));
    // The reference over its own range, with the same computed items and filter, and the
    // thresholds of the items it is paired with.
    struct ReferenceWork {
        std::shared_ptr<const LogFile> Reader;
        SampleRange Range;
        FormulaSet Formulas;
        std::array<SlotThresholds, SlotCount> Thresholds{};
    };
    std::optional<ReferenceWork> reference;
    if (const LogSession* ref = session_.Reference(); ref && ref->Reader()) {
        auto refFormulas =
            FormulaSet::Prepare(ref->Outline(), session_.ComputedItems(), session_.Filter(), error);
        if (!refFormulas) {
            ShowProblem(QStringLiteral("The reference: %1").arg(QString::fromStdString(error)));
            return;
        }
        reference = ReferenceWork{ref->Reader(), ref->RangeOrWholeLog(), std::move(*refFormulas),
                                  StatisticsComparison::ReferenceThresholds(
                                      SlotPairing(session_.Outline(), ref->Outline()), thresholds)};
    }
    struct Outcome {
        std::optional<LogStatistics> Statistics;
        std::optional<StatisticsComparison> Comparison;
        std::string Error;
    };
    session_.Jobs().Run(
        kLane, this,
        [reader, range, thresholds, formulas = std::move(*formulas),
         reference = std::move(reference)](std::stop_token stop) {
            Outcome outcome;
            outcome.Statistics =
                LogStatistics::Compute(*reader, range, thresholds, formulas, stop, outcome.Error);
            if (!outcome.Statistics || !reference) return outcome;
            auto theirs =
                LogStatistics::Compute(*reference->Reader, reference->Range, reference->Thresholds,
                                       reference->Formulas, stop, outcome.Error);
            if (!theirs) {
                outcome.Statistics.reset();
                outcome.Error = "the reference: " + outcome.Error;
                return outcome;
            }
            outcome.Comparison.emplace(*outcome.Statistics, std::move(*theirs));
            return outcome;
        },
        [this](Outcome outcome) {
            if (outcome.Statistics) {
                ShowStatistics(std::move(*outcome.Statistics), std::move(outcome.Comparison));
            } else {
                ShowProblem(QString::fromStdString(outcome.Error));
            }
        });
}

void StatisticsWindow::SetHeadings(bool comparing) {
    SetLabels(table_,
              comparing ? StatisticsComparison::HeaderCells() : LogStatistics::HeaderCells());
    SetLabels(switchTable_, comparing ? StatisticsComparison::SwitchHeaderCells()
                                      : LogStatistics::SwitchHeaderCells());
}

void StatisticsWindow::ShowStatistics(LogStatistics statistics,
                                      std::optional<StatisticsComparison> comparison) {
    const QString logName = session_.DisplayName();
    statistics_ = std::move(statistics);
    comparison_ = std::move(comparison);
    const SampleRange range = statistics_->Range();
    QString heading = QStringLiteral("%1, samples %2 to %3, %4 samples, %5")
                          .arg(logName)
                          .arg(range.First)
                          .arg(range.Last)
                          .arg(range.Count())
                          .arg(QString::fromStdString(DurationText(
                              std::max<std::int64_t>(0, statistics_->DurationMillis()))));
    if (comparison_) {
        const SampleRange ref = comparison_->Reference().Range();
        heading += QStringLiteral(
                       "\nCompared with %1, samples %2 to %3: its figures and the "
                       "differences (log \u2212 reference) beside the log's")
                       .arg(session_.Reference() ? session_.Reference()->DisplayName() : QString())
                       .arg(ref.First)
                       .arg(ref.Last);
    }
    if (!statistics_->Filter().empty()) {
        heading += QStringLiteral("\nFiltered: ") +
                   QString::fromStdString(comparison_ ? comparison_->FilterSummary()
                                                      : statistics_->FilterSummary());
    }
    heading_->setText(heading);
    setWindowTitle(QStringLiteral("Statistics \u2014 %1").arg(logName));
    valueRows_.clear();
    switchRows_.clear();
    SetHeadings(comparison_.has_value());
    if (comparison_) {
        const auto& rows = comparison_->Rows();
        for (std::size_t r = 0; r < rows.size(); ++r) {
            (rows[r].Either().RowKind == StatisticsRow::Kind::Switch ? switchRows_ : valueRows_)
                .push_back(r);
        }
        Fill(table_, *comparison_, valueRows_, kFirstNumberColumn + 1);
        Fill(switchTable_, *comparison_, switchRows_, kFirstSwitchNumberColumn + 1);
    } else {
        const auto& rows = statistics_->Rows();
        for (std::size_t r = 0; r < rows.size(); ++r) {
            (rows[r].RowKind == StatisticsRow::Kind::Switch ? switchRows_ : valueRows_)
                .push_back(r);
        }
        Fill(table_, *statistics_, valueRows_, kFirstNumberColumn);
        Fill(switchTable_, *statistics_, switchRows_, kFirstSwitchNumberColumn);
    }
    switchTable_->setVisible(!switchRows_.empty());
    std::vector<std::string> notes = statistics_->Notes();
    for (const std::string& note : session_.ComputedNotes()) notes.push_back(note);
    ShowNotes(notes);
    if (!fitted_) FitToTables();
}

void StatisticsWindow::ShowProblem(const QString& text) {
    statistics_.reset();
    comparison_.reset();
    heading_->setText(text);
    valueRows_.clear();
    switchRows_.clear();
    table_->setRowCount(0);
    switchTable_->setRowCount(0);
    ShowNotes(session_.ComputedNotes());
}

void StatisticsWindow::ShowNotes(const std::vector<std::string>& notes) {
    QStringList lines;
    for (const std::string& note : notes) lines << QString::fromStdString(note);
    notes_->setText(lines.join(QLatin1Char('\n')));
    notes_->setVisible(!lines.isEmpty());
}

QString StatisticsWindow::NotesText() const {
    return notes_->text();
}

void StatisticsWindow::FitToTables() {
    fitted_ = true;
    // The tables whole, with the window's margins around them, within the screen.
    const QSize values = WholeSize(table_);
    const QSize switches = switchTable_->isVisible() ? WholeSize(switchTable_) : QSize(0, 0);
    QVBoxLayout* box = static_cast<QVBoxLayout*>(layout());
    const QMargins margins = box->contentsMargins();
    const int spacing = box->spacing();
    int width = std::max(values.width(), switches.width()) + margins.left() + margins.right() +
                table_->verticalScrollBar()->sizeHint().width();
    int height = margins.top() + margins.bottom() + heading_->sizeHint().height() +
                 filter_->sizeHint().height() + values.height() + 4 * spacing;
    if (switchTable_->isVisible()) height += switches.height() + spacing;
    if (notes_->isVisible()) height += notes_->sizeHint().height() + spacing;
    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        width = std::min(width, area.width() - 40);
        height = std::min(height, area.height() - 80);
    }
    resize(std::max(width, 420), std::max(height, 240));
    // The space between the two tables goes as their rows need it.
    box->setStretchFactor(table_, std::max(1, values.height()));
    box->setStretchFactor(switchTable_, std::max(1, switches.height()));
}

void StatisticsWindow::ApplyFilter() {
    std::string problem;
    if (!session_.SetFilter(filter_->text().toStdString(), &problem)) {
        MarkFilter(QString::fromStdString(problem));
        return;
    }
    MarkFilter({});
}

void StatisticsWindow::MarkFilter(const QString& problem) {
    filter_->setToolTip(problem);
    filter_->setStyleSheet(
        problem.isEmpty() ? QString() : QStringLiteral("QLineEdit { background: #ffd6d6; }"));
    filter_->setProperty("invalid", !problem.isEmpty());
    if (!problem.isEmpty())
        heading_->setText(QStringLiteral("The filter cannot be used: %1").arg(problem));
}

QString StatisticsWindow::Heading() const {
    return heading_->text();
}

QString StatisticsWindow::CopyText() const {
    if (comparison_) return QString::fromStdString(comparison_->TabSeparatedText());
    return statistics_ ? QString::fromStdString(statistics_->TabSeparatedText()) : QString();
}

std::int64_t StatisticsWindow::SampleAt(int row, int column) const {
    if (!statistics_ || row < 0 || static_cast<std::size_t>(row) >= valueRows_.size()) return 0;
    const std::size_t at = valueRows_[static_cast<std::size_t>(row)];
    const StatisticsRow* own = nullptr;
    if (comparison_) {
        const auto& log = comparison_->Rows()[at].Log;
        if (!log) return 0;  // the reference's alone
        own = &*log;
    } else {
        own = &statistics_->Rows()[at];
    }
    const StatisticsRow& line = *own;
    if (line.RowKind != StatisticsRow::Kind::Value || line.Samples == 0) return 0;
    switch (ExtremeOfColumn(comparison_.has_value(), column)) {
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
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if ((watched == table_ || watched == switchTable_) && key->matches(QKeySequence::Copy)) {
            CopyAll();
            return true;
        }
        if (watched == filter_ && key->key() == Qt::Key_Escape) {
            filter_->clear();
            ApplyFilter();
            return true;
        }
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
