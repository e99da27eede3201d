#include "views/chart/ChartWindow.h"

#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSaveFile>
#include <QShortcut>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "analysis/ElapsedTime.h"
#include "analysis/ReferenceAlignment.h"
#include "analysis/ShownDifference.h"
#include "session/LogSession.h"
#include "settings/modCommon.h"
#include "views/chart/ChartPanes.h"
#include "views/common/CommandSet.h"
#include "views/common/ComputedItemDialog.h"
#include "views/common/PlayerHost.h"
#include "views/common/WindowPlace.h"

namespace orvane {
namespace {

constexpr int kDefaultWidth = 1100;
constexpr int kDefaultHeight = 760;
constexpr const char* kTimelineLane = "chart";
constexpr const char* kSpanLane = "chart-span";
constexpr const char* kReferenceLane = "chart-reference";
constexpr const char* kReferenceSpanLane = "chart-reference-span";

QString Latin1(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::vector<ChartCanvas::Pane> PanesOf(const std::vector<std::vector<ChartSeries>>& series) {
    std::vector<ChartCanvas::Pane> panes;
    for (const auto& s : series) panes.push_back({s, false});
    return panes;
}

// The series a span's table has a line for: the logged items and switches (its figures
// are worked out from the records alone).
std::vector<ChartSeries> LoggedSeries(std::vector<ChartSeries> series) {
    std::erase_if(
        series, [](const ChartSeries& s) { return s.SeriesKind() == ChartSeries::Kind::Computed; });
    return series;
}

}  // namespace

ChartWindow::ChartWindow(LogSession& session, PlayerHost& host, QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session), host_(host) {
    setObjectName(QStringLiteral("frmChart"));
    setWindowTitle(QStringLiteral("Chart"));
    CreateControls();
    resize(kDefaultWidth, kDefaultHeight);
    playheadTimer_.setSingleShot(true);
    playheadTimer_.setInterval(PlayheadIntervalMs);
    connect(&playheadTimer_, &QTimer::timeout, this,
            [this] { picChart->SetPlayhead(pendingPlayhead_); });
    connect(&session_, &LogSession::LogOpened, this, &ChartWindow::LogChanged);
    connect(&session_, &LogSession::LogClosed, this, &ChartWindow::LogChanged);
    connect(&session_, &LogSession::SummaryReady, this, &ChartWindow::StartTimeline);
    connect(&session_, &LogSession::PausesReady, this, &ChartWindow::StartTimeline);
    const auto marks = [this] { picChart->SetMarks(session_.Markers(), session_.Range()); };
    connect(&session_, &LogSession::MarkersChanged, this, marks);
    connect(&session_, &LogSession::RangeChanged, this, marks);
    connect(&session_, &LogSession::SampleShown, this,
            [this](std::int64_t number, const LogRecord&) {
                // At "Max" thousands a second: the playhead moves once a frame.
                pendingPlayhead_ = number;
                if (!playheadTimer_.isActive()) playheadTimer_.start();
            });
    connect(&session_, &LogSession::ReferenceChanged, this, &ChartWindow::ReferenceChanged);
    connect(&session_, &LogSession::LogOpened, this, &ChartWindow::LogChangedUnderReference);
    connect(&session_, &LogSession::LogClosed, this, &ChartWindow::LogChangedUnderReference);
    CreateFilterControls();
    LogChanged();
    StartTimeline();
    ReferenceChanged();
}

ChartWindow::~ChartWindow() = default;

void ChartWindow::CreateControls() {
    lblReadout = new QLabel(this);
    lblReadout->setObjectName(QStringLiteral("lblReadout"));
    lblReadout->setTextInteractionFlags(Qt::TextSelectableByMouse);
    chkFollow = new QCheckBox(QStringLiteral("&Follow playback"), this);
    chkFollow->setObjectName(QStringLiteral("chkFollow"));
    chkFollow->setChecked(true);
    chkFollow->setToolTip(QStringLiteral("Keep the sample on display in sight"));
    chkFollow->setFocusPolicy(Qt::NoFocus);
    connect(chkFollow, &QCheckBox::toggled, this, [this](bool on) { picChart->SetFollow(on); });
    cmdWholeLog = new QPushButton(QStringLiteral("Whole log"), this);
    cmdWholeLog->setObjectName(QStringLiteral("cmdWholeLog"));
    cmdWholeLog->setToolTip(QStringLiteral("Show the whole log (F)"));
    cmdRange = new QPushButton(QStringLiteral("Range"), this);
    cmdRange->setObjectName(QStringLiteral("cmdRange"));
    cmdRange->setToolTip(QStringLiteral("Show the in/out range (Z)"));
    cmdSavePng = new QPushButton(QStringLiteral("Save PNG\u2026"), this);
    cmdSavePng->setObjectName(QStringLiteral("cmdSavePng"));
    for (QPushButton* button : {cmdWholeLog, cmdRange, cmdSavePng})
        button->setFocusPolicy(Qt::NoFocus);
    lblReference = new QLabel(this);
    lblReference->setObjectName(QStringLiteral("lblReference"));
    lblReference->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblReference->hide();
    auto* top = new QHBoxLayout;
    top->addWidget(lblReadout, 1);
    top->addWidget(chkFollow);
    top->addWidget(cmdWholeLog);
    top->addWidget(cmdRange);
    top->addWidget(cmdSavePng);

    picChart = new ChartCanvas(session_, this);
    lblSpan = new QLabel(this);
    lblSpan->setObjectName(QStringLiteral("lblSpan"));
    tblSpan = new QTableWidget(this);
    tblSpan->setObjectName(QStringLiteral("tblSpan"));
    tblSpan->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblSpan->verticalHeader()->hide();
    tblSpan->setFocusPolicy(Qt::NoFocus);
    const std::vector<std::string> header = ChartSpan::HeaderCells();
    tblSpan->setColumnCount(static_cast<int>(header.size()));
    QStringList labels;
    for (const std::string& cell : header) labels << QString::fromStdString(cell);
    tblSpan->setHorizontalHeaderLabels(labels);
    tblSpan->setMaximumHeight(190);
    lblSpan->hide();
    tblSpan->hide();
    lblStatus = new QLabel(this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    // The reference on a line of its own under the readout (its name can be long).
    layout->addWidget(lblReference);
    layout->addWidget(picChart, 1);
    layout->addWidget(lblSpan);
    layout->addWidget(tblSpan);
    layout->addWidget(lblStatus);

    connect(cmdWholeLog, &QPushButton::clicked, picChart, &ChartCanvas::ShowWholeLog);
    connect(cmdRange, &QPushButton::clicked, this,
            [this] { picChart->ShowSamples(session_.RangeOrWholeLog()); });
    connect(cmdSavePng, &QPushButton::clicked, this, &ChartWindow::SavePng);
    connect(picChart, &ChartCanvas::SampleClicked, this,
            [this](std::int64_t sample) { session_.RequestSeek(sample); });
    connect(picChart, &ChartCanvas::SpanMarked, this, [this](SampleRange span) { SetSpan(span); });
    connect(picChart, &ChartCanvas::CursorMoved, this, &ChartWindow::UpdateReadout);
    // Alt and a drag: the offset is kept once, when the button is let go.
    connect(picChart, &ChartCanvas::ReferenceSlid, this,
            [this](std::int64_t offset) { session_.SetReferenceOffset(offset); });
    connect(&playheadTimer_, &QTimer::timeout, this, &ChartWindow::UpdateReadout);
    connect(picChart, &ChartCanvas::ContextMenuAt, this, [this](int pane, QPoint at) {
        const std::unique_ptr<QMenu> menu = PaneMenu(pane);
        menu->exec(at);
    });

    const std::pair<QKeySequence, std::function<void()>> keys[] = {
        {QKeySequence(Qt::Key_F), [this] { picChart->ShowWholeLog(); }},
        {QKeySequence(Qt::Key_Z), [this] { picChart->ShowSamples(session_.RangeOrWholeLog()); }},
        {QKeySequence(Qt::Key_L), [this] { AlignHere(); }},
        {QKeySequence(Qt::Key_Escape), [this] { SetSpan(std::nullopt); }},
        {QKeySequence::Copy, [this] { Copy(); }},
    };
    for (const auto& [key, run] : keys) {
        auto* shortcut = new QShortcut(key, this);
        connect(shortcut, &QShortcut::activated, this, run);
    }
}

bool ChartWindow::Computing() const {
    return session_.Jobs().Busy(kTimelineLane) || session_.Jobs().Busy(kSpanLane);
}

void ChartWindow::LogChanged() {
    session_.Jobs().Cancel(kTimelineLane);
    session_.Jobs().Cancel(kSpanLane);
    picChart->SetTimeline(nullptr);
    SetSpan(std::nullopt);
    picChart->SetMarks(session_.Markers(), session_.Range());
    pendingPlayhead_ = session_.ShownSample();
    picChart->SetPlayhead(pendingPlayhead_);
    const QString name = session_.DisplayName();
    setWindowTitle(session_.IsOpen() ? QStringLiteral("Chart \u2014 %1").arg(name)
                                     : QStringLiteral("Chart"));
    if (!session_.IsOpen()) {
        picChart->SetPanes({});
        lblStatus->setText(QStringLiteral("No log is open."));
        UpdateReadout();
        return;
    }
    picChart->SetPanes(PanesFromSettings());
    ShowFilter();
    lblStatus->setText(session_.Reader() ? QStringLiteral("Reading the log\u2026")
                                         : QStringLiteral("The log cannot be read."));
    UpdateReadout();
}

void ChartWindow::StartTimeline() {
    const std::shared_ptr<const LogFile> reader = session_.Reader();
    const std::shared_ptr<const MinMaxSummary> summary = session_.MinMax();
    const std::shared_ptr<const std::vector<LogPause>> pauses = session_.Pauses();
    if (!session_.IsOpen() || !reader || !summary || !pauses || Ready() ||
        session_.Jobs().Busy(kTimelineLane)) {
        return;
    }
    struct Outcome {
        std::shared_ptr<const ChartTimeline> Timeline;
        std::string Error;
    };
    session_.Jobs().Run(
        kTimelineLane, this,
        [reader, summary, pauses](std::stop_token stop) {
            Outcome outcome;
            auto timeline = ChartTimeline::Build(*reader, summary, *pauses, stop, outcome.Error);
            if (timeline)
                outcome.Timeline = std::make_shared<const ChartTimeline>(std::move(*timeline));
            return outcome;
        },
        [this, summary](Outcome outcome) {
            // A timeline of another log than the open one is of no use.
            if (!outcome.Timeline || session_.MinMax() != summary) {
                if (!outcome.Timeline) {
                    lblStatus->setText(QStringLiteral("No chart: %1.").arg(Latin1(outcome.Error)));
                }
                return;
            }
            picChart->SetTimeline(outcome.Timeline);
            const auto breaks = static_cast<std::int64_t>(outcome.Timeline->Breaks().size());
            lblStatus->setText(
                QStringLiteral("%1 samples, %2%3")
                    .arg(outcome.Timeline->Records())
                    .arg(QString::fromStdString(DurationText(summary->LengthMillis())))
                    .arg(breaks == 0
                             ? QString()
                             : QStringLiteral(", %1 pause%2 of 5 s or more (drawn as breaks)")
                                   .arg(breaks)
                                   .arg(breaks == 1 ? "" : "s")));
            pendingPlayhead_ = session_.ShownSample();
            picChart->SetPlayhead(pendingPlayhead_);
            UpdateReadout();
            StartReferenceTimelines();
        });
}

QString ChartWindow::ReadoutText() const {
    const std::int64_t sample = picChart->ReadoutSample();
    const std::optional<LogRecord> record = picChart->RecordOf(sample);
    if (!record || !session_.IsOpen()) return {};
    const std::shared_ptr<const MinMaxSummary> summary = session_.MinMax();
    QString text = QStringLiteral("%1 %2 of %3 \u00b7 %4")
                       .arg(picChart->CursorSample() > 0 ? QStringLiteral("Cursor at sample")
                                                         : QStringLiteral("Sample on display"))
                       .arg(sample)
                       .arg(session_.LastSample())
                       .arg(Latin1(TimeOfDayWithMillis(session_.Outline().Start, record->Millis)));
    if (summary) {
        const std::int64_t elapsed = std::int64_t{record->Millis} - summary->FirstMillis();
        text += QStringLiteral(" \u00b7 %1 from the start")
                    .arg(ChartCanvas::AxisTimeText(static_cast<double>(elapsed)));
    }
    const LogSession* reference = session_.Reference();
    if (reference && picChart->ReferenceLog()) {
        const std::optional<std::int64_t> beside = picChart->ReferenceReadoutSample();
        const std::optional<LogRecord> other =
            beside ? picChart->ReferenceRecordOf(*beside) : std::nullopt;
        text +=
            other ? QStringLiteral(" \u00b7 reference sample %1 at %2")
                        .arg(*beside)
                        .arg(Latin1(TimeOfDayWithMillis(reference->Outline().Start, other->Millis)))
                  : QStringLiteral(" \u00b7 no reference sample here");
    }
    return text;
}

void ChartWindow::UpdateReadout() {
    lblReadout->setText(ReadoutText());
}

QString ChartWindow::CopyText() const {
    if (spanComparison_) return QString::fromStdString(spanComparison_->TabSeparatedText());
    if (spanFigures_) return QString::fromStdString(spanFigures_->TabSeparatedText());
    if (picChart->ReferenceLog()) return ComparedCopyText();
    const std::int64_t sample = picChart->ReadoutSample();
    const std::optional<LogRecord> record = picChart->RecordOf(sample);
    if (!record) return {};
    QString text = QStringLiteral("Sample\t%1\nTime\t%2\n")
                       .arg(sample)
                       .arg(Latin1(TimeOfDayWithMillis(session_.Outline().Start, record->Millis)));
    for (const ChartSeries& series : picChart->AllSeries()) {
        text += Latin1(series.Name()) + QStringLiteral("\t") +
                Latin1(series.SeriesKind() == ChartSeries::Kind::Computed
                           ? series.Text(picChart->ValueAtSample(series, sample)
                                             .value_or(std::numeric_limits<double>::quiet_NaN()))
                           : series.Text(series.ValueAt(*record))) +
                QStringLiteral("\n");
    }
    return text;
}

void ChartWindow::Copy() {
    const QString text = CopyText();
    if (text.isEmpty()) return;
    QApplication::clipboard()->setText(text);
    lblStatus->setText(spanFigures_
                           ? QStringLiteral("The span's table is on the clipboard.")
                           : QStringLiteral("The readout of sample %1 is on the clipboard.")
                                 .arg(picChart->ReadoutSample()));
}

void ChartWindow::SetSpan(std::optional<SampleRange> span) {
    session_.Jobs().Cancel(kSpanLane);
    session_.Jobs().Cancel(kReferenceSpanLane);
    spanFigures_.reset();
    spanComparison_.reset();
    SetSpanHeader(ChartSpan::HeaderCells());
    picChart->SetSpan(span);
    tblSpan->setRowCount(0);
    if (!span) {
        lblSpan->hide();
        tblSpan->hide();
        return;
    }
    const std::shared_ptr<const LogFile> reader = session_.Reader();
    if (!reader) return;
    const SampleRange range = *picChart->Span();
    lblSpan->setText(QStringLiteral("Span from sample %1 to %2: working it out\u2026")
                         .arg(range.First)
                         .arg(range.Last));
    lblSpan->show();
    tblSpan->show();
    struct Outcome {
        std::optional<ChartSpan> Span;
        std::string Error;
    };
    session_.Jobs().Run(
        kSpanLane, this,
        [reader, range, series = LoggedSeries(picChart->AllSeries())](std::stop_token stop) {
            Outcome outcome;
            outcome.Span = ChartSpan::Compute(*reader, range, series, stop, outcome.Error);
            return outcome;
        },
        [this](Outcome outcome) {
            if (!outcome.Span) {
                lblSpan->setText(
                    QStringLiteral("No figures for the span: %1.").arg(Latin1(outcome.Error)));
                return;
            }
            spanFigures_ = std::move(outcome.Span);
            ShowSpanFigures();
            StartReferenceSpan();
        });
}

void ChartWindow::ShowSpanFigures() {
    const ChartSpan& span = *spanFigures_;
    const DateTime& start = span.Start();
    const std::int64_t millis = span.DurationMillis();
    lblSpan->setText(
        QStringLiteral("A: sample %1 at %2 \u00b7 B: sample %3 at %4 \u00b7 %5 samples, "
                       "%6%7.%8 s from A to B")
            .arg(span.Samples().First)
            .arg(Latin1(TimeOfDayWithMillis(start, span.MillisA())))
            .arg(span.Samples().Last)
            .arg(Latin1(TimeOfDayWithMillis(start, span.MillisB())))
            .arg(span.Samples().Count())
            .arg(millis < 0 ? QStringLiteral("-") : QString())
            .arg(std::abs(millis) / 1000)
            .arg(std::abs(millis) % 1000, 3, 10, QLatin1Char('0')));
    const auto& rows = span.Rows();
    tblSpan->setRowCount(static_cast<int>(rows.size()));
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const std::vector<std::string> cells = span.Cells(rows[r]);
        for (std::size_t c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(QString::fromStdString(cells[c]));
            if (c >= 2) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            tblSpan->setItem(static_cast<int>(r), static_cast<int>(c), item);
        }
    }
    tblSpan->resizeColumnsToContents();
}

void ChartWindow::UseSpanAsRange() {
    const std::optional<SampleRange> span = picChart->Span();
    if (!span) return;
    // An in point beyond the old out point would be swapped with it: then the out point
    // goes first (the old in point lies before the span).
    const std::optional<SampleRange> range = session_.Range();
    if (range && span->First > range->Last) {
        session_.SetOutPoint(span->Last);
        session_.SetInPoint(span->First);
    } else {
        session_.SetInPoint(span->First);
        session_.SetOutPoint(span->Last);
    }
}

std::unique_ptr<QMenu> ChartWindow::PaneMenu(int pane) {
    auto menu = std::make_unique<QMenu>(this);
    const auto& panes = picChart->Panes();
    const bool onPane = pane >= 0 && pane < static_cast<int>(panes.size());
    const bool open = session_.IsOpen();
    if (onPane) {
        QMenu* add = menu->addMenu(QStringLiteral("Add item"));
        const auto& here = panes[static_cast<std::size_t>(pane)].Series;
        for (const ChartSeries& series : SeriesOfLog(session_.Outline())) {
            if (std::find(here.begin(), here.end(), series) != here.end()) continue;
            QAction* action = add->addAction(Latin1(series.Name()));
            connect(action, &QAction::triggered, this,
                    [this, pane, series] { AddSeries(pane, series); });
        }
        std::string error;
        if (const auto formulas = session_.Formulas(error)) {
            for (const ChartSeries& series : ComputedSeriesOf(*formulas)) {
                if (std::find(here.begin(), here.end(), series) != here.end()) continue;
                QAction* action = add->addAction(Latin1(series.Name()));
                connect(action, &QAction::triggered, this,
                        [this, pane, series] { AddSeries(pane, series); });
            }
        }
        add->setEnabled(!add->isEmpty());
        QAction* newItem = menu->addAction(QStringLiteral("New computed item\u2026"));
        connect(newItem, &QAction::triggered, this, [this, pane] { NewComputedItem(pane); });
        for (std::size_t i = 0; i < here.size(); ++i) {
            QAction* action =
                menu->addAction(QStringLiteral("Remove %1").arg(Latin1(here[i].Name())));
            connect(action, &QAction::triggered, this, [this, pane, i] { RemoveSeries(pane, i); });
        }
        QAction* fit = menu->addAction(QStringLiteral("Fit to visible"));
        fit->setCheckable(true);
        fit->setChecked(panes[static_cast<std::size_t>(pane)].FitToVisible);
        connect(fit, &QAction::toggled, this, [this, pane](bool on) {
            std::vector<ChartCanvas::Pane> changed = picChart->Panes();
            if (pane < static_cast<int>(changed.size())) {
                changed[static_cast<std::size_t>(pane)].FitToVisible = on;
                picChart->SetPanes(std::move(changed));
            }
        });
        menu->addSeparator();
    }
    QAction* addPane = menu->addAction(QStringLiteral("Add pane"));
    addPane->setEnabled(open && static_cast<int>(panes.size()) < ChartPanes::MaxPanes);
    connect(addPane, &QAction::triggered, this, &ChartWindow::AddPane);
    if (onPane) {
        QAction* removePane = menu->addAction(QStringLiteral("Remove this pane"));
        connect(removePane, &QAction::triggered, this, [this, pane] { RemovePane(pane); });
    }
    menu->addSeparator();
    QAction* follow = menu->addAction(QStringLiteral("Follow playback"));
    follow->setCheckable(true);
    follow->setChecked(chkFollow->isChecked());
    connect(follow, &QAction::toggled, chkFollow, &QCheckBox::setChecked);
    QAction* whole = menu->addAction(QStringLiteral("Whole log"));
    whole->setShortcut(QKeySequence(Qt::Key_F));
    connect(whole, &QAction::triggered, picChart, &ChartCanvas::ShowWholeLog);
    QAction* range = menu->addAction(QStringLiteral("In/out range"));
    range->setShortcut(QKeySequence(Qt::Key_Z));
    connect(range, &QAction::triggered, this,
            [this] { picChart->ShowSamples(session_.RangeOrWholeLog()); });
    menu->addSeparator();
    const bool spanned = picChart->Span().has_value();
    QAction* use = menu->addAction(QStringLiteral("Use as range"));
    use->setEnabled(spanned);
    connect(use, &QAction::triggered, this, &ChartWindow::UseSpanAsRange);
    QAction* clear = menu->addAction(QStringLiteral("Clear span"));
    clear->setShortcut(QKeySequence(Qt::Key_Escape));
    clear->setEnabled(spanned);
    connect(clear, &QAction::triggered, this, [this] { SetSpan(std::nullopt); });
    menu->addSeparator();
    QAction* filter = menu->addAction(
        session_.Filter().empty()
            ? QStringLiteral("Filter\u2026")
            : QStringLiteral("Filter (%1)\u2026").arg(QString::fromStdString(session_.Filter())));
    connect(filter, &QAction::triggered, this, &ChartWindow::EditFilter);
    QAction* copy = menu->addAction(QStringLiteral("Copy"));
    copy->setShortcut(QKeySequence::Copy);
    connect(copy, &QAction::triggered, this, &ChartWindow::Copy);
    QAction* save = menu->addAction(QStringLiteral("Save PNG\u2026"));
    save->setEnabled(Ready());
    connect(save, &QAction::triggered, this, &ChartWindow::SavePng);
    if (!open) {
        for (QAction* action : menu->actions()) action->setEnabled(false);
    }
    // Comparing: the player's own commands, as its keys and the overview strip run them.
    menu->addSeparator();
    QAction* align = menu->addAction(QStringLiteral("Align here"));
    align->setShortcut(QKeySequence(Qt::Key_L));
    // The cursor goes when the menu opens: the samples are taken now.
    const std::optional<std::int64_t> referenceSample =
        picChart->CursorSample() > 0 ? picChart->ReferenceReadoutSample() : std::nullopt;
    const std::int64_t sample =
        session_.ShownSample() > 0 ? session_.ShownSample() : picChart->CursorSample();
    align->setEnabled(ReferenceReady() && referenceSample && sample > 0);
    connect(align, &QAction::triggered, this, [this, referenceSample, sample] {
        if (referenceSample) AlignAt(sample, *referenceSample);
    });
    if (commands_) {
        menu->addAction(commands_->Action(Command::Compare));
        menu->addAction(commands_->Action(Command::StopComparing));
    }
    return menu;
}

void ChartWindow::SetPanes(std::vector<ChartCanvas::Pane> panes) {
    picChart->SetPanes(std::move(panes));
    SavePanes();
    // The span's table has a line per series.
    if (picChart->Span()) SetSpan(picChart->Span());
}

void ChartWindow::AddSeries(int pane, const ChartSeries& series) {
    std::vector<ChartCanvas::Pane> panes = picChart->Panes();
    if (pane < 0 || pane >= static_cast<int>(panes.size())) return;
    panes[static_cast<std::size_t>(pane)].Series.push_back(series);
    SetPanes(std::move(panes));
}

void ChartWindow::RemoveSeries(int pane, std::size_t index) {
    std::vector<ChartCanvas::Pane> panes = picChart->Panes();
    if (pane < 0 || pane >= static_cast<int>(panes.size())) return;
    auto& series = panes[static_cast<std::size_t>(pane)].Series;
    if (index >= series.size()) return;
    series.erase(series.begin() + static_cast<std::ptrdiff_t>(index));
    // A pane without items goes.
    if (series.empty()) panes.erase(panes.begin() + pane);
    SetPanes(std::move(panes));
}

void ChartWindow::AddPane() {
    std::vector<ChartCanvas::Pane> panes = picChart->Panes();
    const std::vector<ChartSeries> all = SeriesOfLog(session_.Outline());
    if (all.empty() || static_cast<int>(panes.size()) >= ChartPanes::MaxPanes) return;
    // The first item no pane shows yet, else the log's first.
    const std::vector<ChartSeries> shown = picChart->AllSeries();
    auto pick = std::find_if(all.begin(), all.end(), [&](const ChartSeries& s) {
        return std::find(shown.begin(), shown.end(), s) == shown.end();
    });
    panes.push_back({{pick != all.end() ? *pick : all.front()}, false});
    SetPanes(std::move(panes));
}

void ChartWindow::RemovePane(int pane) {
    std::vector<ChartCanvas::Pane> panes = picChart->Panes();
    if (pane < 0 || pane >= static_cast<int>(panes.size())) return;
    panes.erase(panes.begin() + pane);
    SetPanes(std::move(panes));
}

void ChartWindow::SavePanes() const {
    std::vector<std::vector<ChartSeries>> series;
    for (const ChartCanvas::Pane& pane : picChart->Panes()) series.push_back(pane.Series);
    ChartPanes::Write(ChartPanes::KeysOf(series));
}

void ChartWindow::SavePng() {
    if (!Ready()) return;
    const QImage picture = picChart->Picture();
    PlayerHost::SaveFileRequest request;
    request.Title = QStringLiteral("Save the chart as a picture");
    const QFileInfo log(QString::fromStdString(session_.FileName()));
    request.InitialPath = log.dir().filePath(log.completeBaseName() + QStringLiteral("_chart.png"));
    request.Filter = QStringLiteral("PNG pictures (*.png);;All files (*)");
    request.DefaultSuffix = QStringLiteral("png");
    const auto path = host_.ChooseSaveFile(this, request);
    if (!path) return;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSaveFile file(*path);
    if (!picture.save(&buffer, "PNG") || !file.open(QIODevice::WriteOnly) ||
        file.write(bytes) != bytes.size() || !file.commit()) {
        host_.ShowMessage(this, QStringLiteral("Chart"),
                          QStringLiteral("Cannot write %1:\n%2").arg(*path, file.errorString()));
        return;
    }
    lblStatus->setText(QStringLiteral("Saved %1").arg(*path));
}

void ChartWindow::SavePlace() const {
    WindowPlace::Save(*this, SettingsSection);
}

void ChartWindow::RestorePlace(const QWidget& beside) {
    WindowPlace::Restore(*this, SettingsSection, beside, QSize(kDefaultWidth, kDefaultHeight),
                         QSize(480, 360));
}

void ChartWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    StartTimeline();
    pendingPlayhead_ = session_.ShownSample();
    picChart->SetPlayhead(pendingPlayhead_);
    UpdateReadout();
}

void ChartWindow::closeEvent(QCloseEvent* event) {
    SavePlace();
    playheadTimer_.stop();
    event->accept();
}

// --- Comparing with a reference log ---

void ChartWindow::LogChangedUnderReference() {
    // The reference's counters stay; its pairing with the new log is made anew.
    picChart->SetReference(std::nullopt);
    ReferenceChanged();
}

void ChartWindow::ReferenceChanged() {
    const LogSession* reference = session_.Reference();
    if (reference != referenceOf_) {
        // Another reference (or none): nothing of the last one stays.
        session_.Jobs().Cancel(kReferenceLane);
        session_.Jobs().Cancel(kReferenceSpanLane);
        disconnect(referenceSummary_);
        referenceSamples_.reset();
        referenceOf_ = reference;
        picChart->SetReference(std::nullopt);
        spanComparison_.reset();
        SetSpanHeader(ChartSpan::HeaderCells());
        if (spanFigures_) ShowSpanFigures();
        // Its summary may still be under way: drawn once it is ready.
        if (reference) {
            referenceSummary_ = connect(reference, &LogSession::SummaryReady, this,
                                        &ChartWindow::StartReferenceTimelines);
        }
    }
    StartReferenceTimelines();
    ApplyReference();
}

void ChartWindow::StartReferenceTimelines() {
    const LogSession* reference = session_.Reference();
    if (!reference || !session_.Reader() || !reference->Reader() || !reference->MinMax() ||
        !Ready()) {
        return;
    }
    if (referenceSamples_) {
        ApplyReference();
        return;
    }
    if (session_.Jobs().Busy(kReferenceLane)) return;
    struct Outcome {
        std::shared_ptr<const LogTimeline> Samples;
        std::string Error;
    };
    session_.Jobs().Run(
        kReferenceLane, this,
        [other = reference->Reader()](std::stop_token stop) {
            Outcome outcome;
            if (auto read = LogTimeline::Read(*other, stop, outcome.Error)) {
                outcome.Samples = std::make_shared<const LogTimeline>(std::move(*read));
            }
            return outcome;
        },
        [this, reference](Outcome outcome) {
            if (session_.Reference() != reference) return;
            if (!outcome.Samples) {
                lblStatus->setText(QStringLiteral("The reference cannot be drawn: %1.")
                                       .arg(Latin1(outcome.Error)));
                return;
            }
            referenceSamples_ = std::move(outcome.Samples);
            ApplyReference();
        });
}

void ChartWindow::ApplyReference() {
    const LogSession* reference = session_.Reference();
    lblReference->setVisible(reference != nullptr);
    if (!reference) {
        picChart->SetReference(std::nullopt);
        UpdateReadout();
        return;
    }
    const std::int64_t offset = session_.ReferenceOffsetMillis();
    if (picChart->ReferenceLog()) {
        picChart->SetReferenceOffset(offset);
    } else if (referenceSamples_ && session_.Reader() && reference->MinMax() && Ready()) {
        picChart->SetReference(
            ChartCanvas::Reference{reference->Reader(), reference->MinMax(), referenceSamples_,
                                   SlotPairing(session_.Outline(), reference->Outline()), offset});
    }
    lblReference->setText(ReferenceText());
    UpdateReadout();
    if (spanFigures_) StartReferenceSpan();
}

QString ChartWindow::ReferenceText() const {
    const LogSession* reference = session_.Reference();
    if (!reference) return {};
    QString text = QStringLiteral("Reference %1, offset %2 s")
                       .arg(reference->DisplayName())
                       .arg(QString::fromStdString(
                           ReferenceAlignment{session_.ReferenceOffsetMillis()}.OffsetText()));
    if (!picChart->ReferenceLog()) {
        text += QStringLiteral(" (reading\u2026)");
        return text;
    }
    // Items only the reference records: not in this log's panes.
    QStringList only;
    for (const SlotPair& pair : picChart->ReferenceLog()->Pairing.Pairs()) {
        if (pair.Slot == 0 && pair.Code >= 0) {
            only << Latin1(ChartSeries::Item(pair.ReferenceSlot, pair.Code).Name());
        }
    }
    if (!only.isEmpty()) {
        text += QStringLiteral("; only in the reference: %1").arg(only.join(QStringLiteral(", ")));
    }
    return text;
}

bool ChartWindow::AlignHere() {
    if (!ReferenceReady()) {
        lblStatus->setText(
            session_.Reference()
                ? QStringLiteral("The reference is still being read.")
                : QStringLiteral("No reference to align: Compare with\u2026 first."));
        return false;
    }
    const std::optional<std::int64_t> referenceSample =
        picChart->CursorSample() > 0 ? picChart->ReferenceReadoutSample() : std::nullopt;
    if (!referenceSample) {
        lblStatus->setText(
            QStringLiteral("Point at the reference's moment in the chart, then press L."));
        return false;
    }
    const std::int64_t sample =
        session_.ShownSample() > 0 ? session_.ShownSample() : picChart->CursorSample();
    return AlignAt(sample, *referenceSample);
}

bool ChartWindow::AlignAt(std::int64_t sample, std::int64_t referenceSample) {
    const ChartCanvas::Reference* reference = picChart->ReferenceLog();
    if (!reference || sample < 1) return false;
    const std::optional<std::int64_t> elapsed = picChart->ElapsedOfSample(sample);
    if (!elapsed) return false;
    // The offset that places the reference sample at the sample's time.
    const ReferenceAlignment alignment{*elapsed -
                                       reference->Samples->ElapsedMillis(referenceSample)};
    session_.SetReferenceOffset(alignment.OffsetMillis);
    lblStatus->setText(QStringLiteral("Reference sample %1 aligned with sample %2 (offset %3 s).")
                           .arg(referenceSample)
                           .arg(sample)
                           .arg(QString::fromStdString(alignment.OffsetText())));
    return true;
}

void ChartWindow::StartReferenceSpan() {
    session_.Jobs().Cancel(kReferenceSpanLane);
    spanComparison_.reset();
    const ChartCanvas::Reference* reference = picChart->ReferenceLog();
    if (!reference || !spanFigures_) return;
    // The reference samples placed from A's time to B's.
    const SampleRange span = spanFigures_->Samples();
    const std::optional<std::int64_t> a = picChart->ElapsedOfSample(span.First);
    const std::optional<std::int64_t> b = picChart->ElapsedOfSample(span.Last);
    if (!a || !b) return;
    const double from = static_cast<double>(*a);
    const double to = static_cast<double>(*b) + 1;
    const SampleRange under =
        ReferenceFrame::SamplesBetween(*reference->Samples, reference->OffsetMillis, from, to);
    std::vector<ChartSeries> series;
    std::vector<int> partner;
    // A line per logged series of the span's table (computed items have none).
    const std::vector<ChartSeries> all = picChart->AllSeries();
    const std::vector<std::optional<ChartSeries>> partners = picChart->ReferenceSeries();
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (all[i].SeriesKind() == ChartSeries::Kind::Computed) continue;
        partner.push_back(partners[i] ? static_cast<int>(series.size()) : -1);
        if (partners[i]) series.push_back(*partners[i]);
    }
    struct Outcome {
        std::optional<ChartSpan> Span;
        std::string Error;
    };
    session_.Jobs().Run(
        kReferenceSpanLane, this,
        [log = reference->Log, under, series](std::stop_token stop) {
            Outcome outcome;
            if (!under.Empty())
                outcome.Span = ChartSpan::Compute(*log, under, series, stop, outcome.Error);
            return outcome;
        },
        [this, partner, offset = reference->OffsetMillis](Outcome outcome) {
            if (!spanFigures_) return;
            spanComparison_.emplace(*spanFigures_, std::move(outcome.Span), partner, offset);
            ShowSpanComparison();
        });
}

void ChartWindow::SetSpanHeader(const std::vector<std::string>& cells) {
    tblSpan->setColumnCount(static_cast<int>(cells.size()));
    QStringList labels;
    for (const std::string& cell : cells) labels << QString::fromStdString(cell);
    tblSpan->setHorizontalHeaderLabels(labels);
}

void ChartWindow::ShowSpanComparison() {
    const ChartSpanComparison& comparison = *spanComparison_;
    SetSpanHeader(ChartSpanComparison::HeaderCells());
    tblSpan->setRowCount(static_cast<int>(comparison.RowCount()));
    for (std::size_t r = 0; r < comparison.RowCount(); ++r) {
        const std::vector<std::string> cells = comparison.Cells(r);
        for (std::size_t c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(QString::fromStdString(cells[c]));
            if (c >= 2) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            tblSpan->setItem(static_cast<int>(r), static_cast<int>(c), item);
        }
    }
    tblSpan->resizeColumnsToContents();
    if (const auto& other = comparison.Reference()) {
        lblSpan->setText(lblSpan->text() + QStringLiteral(" \u00b7 reference: samples %1 to %2")
                                               .arg(other->Samples().First)
                                               .arg(other->Samples().Last));
    } else {
        lblSpan->setText(lblSpan->text() + QStringLiteral(" \u00b7 no reference sample here"));
    }
}

QString ChartWindow::ComparedCopyText() const {
    const std::int64_t sample = picChart->ReadoutSample();
    const std::optional<LogRecord> record = picChart->RecordOf(sample);
    const LogSession* reference = session_.Reference();
    if (!record || !reference) return {};
    const std::optional<std::int64_t> beside = picChart->ReferenceReadoutSample();
    const std::optional<LogRecord> other =
        beside ? picChart->ReferenceRecordOf(*beside) : std::nullopt;
    QString text =
        QStringLiteral("Sample\t%1\t%2\nTime\t%3\t%4\nOffset\t%5 s\n\tLog\tReference\tDifference\n")
            .arg(sample)
            .arg(other ? QString::number(*beside) : QString())
            .arg(Latin1(TimeOfDayWithMillis(session_.Outline().Start, record->Millis)))
            .arg(other ? Latin1(TimeOfDayWithMillis(reference->Outline().Start, other->Millis))
                       : QString())
            .arg(QString::fromStdString(
                ReferenceAlignment{session_.ReferenceOffsetMillis()}.OffsetText()));
    const std::vector<ChartSeries> all = picChart->AllSeries();
    const std::vector<std::optional<ChartSeries>> partners = picChart->ReferenceSeries();
    for (std::size_t i = 0; i < all.size(); ++i) {
        const bool computed = all[i].SeriesKind() == ChartSeries::Kind::Computed;
        const double value = computed ? picChart->ValueAtSample(all[i], sample)
                                            .value_or(std::numeric_limits<double>::quiet_NaN())
                                      : all[i].ValueAt(*record);
        QString theirs, difference;
        if (computed) {
            // Computed items are not worked out for the reference.
        } else if (!partners[i]) {
            theirs = QStringLiteral("(main only)");
        } else if (other) {
            const double referenceValue = partners[i]->ValueAt(*other);
            theirs = Latin1(partners[i]->Text(referenceValue));
            if (all[i].SeriesKind() == ChartSeries::Kind::Item) {
                difference = Latin1(ShownDifference(value, referenceValue)) + Latin1(all[i].Unit());
            }
        }
        text += Latin1(all[i].Name()) + QStringLiteral("\t") + Latin1(all[i].Text(value)) +
                QStringLiteral("\t") + theirs + QStringLiteral("\t") + difference +
                QStringLiteral("\n");
    }
    return text;
}

// --- Computed items and the filter ---

void ChartWindow::CreateFilterControls() {
    lblFilter = new QLabel(this);
    lblFilter->setObjectName(QStringLiteral("lblFilter"));
    lblFilter->hide();
    // Beside the status line, so that the panes keep their height when it shows.
    if (auto* box = qobject_cast<QVBoxLayout*>(layout())) {
        const int at = box->indexOf(lblStatus);
        box->removeWidget(lblStatus);
        auto* row = new QHBoxLayout;
        row->addWidget(lblStatus, 1);
        row->addWidget(lblFilter);
        box->insertLayout(at, row);
    }
    connect(&session_, &LogSession::FormulasChanged, this, &ChartWindow::FormulasChanged);
    connect(&session_, &LogSession::ComputedSummaryReady, this, [this] {
        picChart->ComputedChanged();
        ShowFilter();
        UpdateReadout();
    });
}

std::vector<ChartCanvas::Pane> ChartWindow::PanesFromSettings() const {
    std::string problem;
    std::optional<ChartPanes::Keys> keys = ChartPanes::Read(&problem);
    if (!keys) {
        if (!problem.empty()) {
            std::fprintf(stderr, "OrvanePlayer: [%s] %s; the default panes are shown\n",
                         ChartPanes::SettingsSection, problem.c_str());
        }
        keys = ChartPanes::DefaultKeys();
    }
    std::string error;
    const std::optional<FormulaSet> formulas = session_.Formulas(error);
    return PanesOf(
        ChartPanes::ForLog(*keys, session_.Outline(), formulas ? *formulas : FormulaSet()));
}

void ChartWindow::FormulasChanged() {
    if (!session_.IsOpen()) return;
    // The panes as the settings file keeps them, with the computed items the log can
    // compute now; each pane keeps its fitting.
    std::vector<ChartCanvas::Pane> panes = PanesFromSettings();
    const auto& before = picChart->Panes();
    for (std::size_t p = 0; p < panes.size() && p < before.size(); ++p) {
        panes[p].FitToVisible = before[p].FitToVisible;
    }
    picChart->SetPanes(std::move(panes));
    ShowFilter();
}

void ChartWindow::NewComputedItem(int pane) {
    if (!session_.IsOpen()) return;
    ComputedItemDialog dialog(session_, this);
    if (dialog.exec() != QDialog::Accepted) return;
    if (const auto item = dialog.Entered(nullptr)) AddComputedSeries(pane, item->Name);
}

bool ChartWindow::AddComputedSeries(int pane, const std::string& name) {
    std::string error;
    const std::optional<FormulaSet> formulas = session_.Formulas(error);
    if (!formulas) return false;
    const std::optional<ChartSeries> series = SeriesByKey(session_.Outline(), name, *formulas);
    if (!series || series->SeriesKind() != ChartSeries::Kind::Computed) return false;
    const auto& panes = picChart->Panes();
    if (pane < 0 || pane >= static_cast<int>(panes.size())) return false;
    const auto& here = panes[static_cast<std::size_t>(pane)].Series;
    if (std::find(here.begin(), here.end(), *series) == here.end()) AddSeries(pane, *series);
    return true;
}

void ChartWindow::EditFilter() {
    if (!session_.IsOpen()) return;
    QString condition = QString::fromStdString(session_.Filter());
    for (;;) {
        bool ok = false;
        condition = QInputDialog::getText(
            this, QStringLiteral("Filter"),
            QStringLiteral("Only the samples where this holds (empty: all samples):"),
            QLineEdit::Normal, condition, &ok);
        if (!ok) return;
        QString problem;
        if (ApplyFilter(condition, &problem)) return;
        host_.ShowMessage(this, QStringLiteral("Filter"),
                          QStringLiteral("The filter cannot be used: %1").arg(problem));
    }
}

bool ChartWindow::ApplyFilter(const QString& condition, QString* problem) {
    std::string why;
    if (!session_.SetFilter(condition.toStdString(), &why)) {
        if (problem) *problem = QString::fromStdString(why);
        return false;
    }
    ShowFilter();
    return true;
}

QString ChartWindow::FilterText() const {
    const std::string& filter = session_.Filter();
    if (!session_.IsOpen() || filter.empty()) return {};
    const std::shared_ptr<const ComputedSummary> computed = session_.ComputedMinMax();
    if (!computed || !computed->Formulas().Filtered()) {
        return QStringLiteral("%1: counting the samples\u2026").arg(QString::fromStdString(filter));
    }
    if (!computed->Formulas().FilterProblem().empty()) {
        return QString::fromStdString(filter + ": " + computed->Formulas().FilterProblem());
    }
    return QString::fromStdString(
        FilterSummaryText(filter, computed->Passed(), computed->Records()));
}

void ChartWindow::ShowFilter() {
    if (!lblFilter) return;
    const QString text = FilterText();
    lblFilter->setText(text.isEmpty() ? QString() : QStringLiteral("Filtered: %1").arg(text));
    lblFilter->setVisible(!text.isEmpty());
}

}  // namespace orvane
