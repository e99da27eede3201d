#include "views/map/MapWindow.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QShortcut>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <charconv>
#include <cmath>

#include "analysis/MapFileName.h"
#include "log/modOrvane.h"
#include "session/LogSession.h"
#include "settings/modCommon.h"
#include "views/common/PlayerHost.h"
#include "views/map/MapGrid.h"

namespace orvane {
namespace {

constexpr int kDefaultWidth = 940;
constexpr int kDefaultHeight = 700;
constexpr int kGap = 10;  // between the player and a map window placed beside it
constexpr const char* kLane = "map";

const char* const kAxisNames[2] = {"horizontal", "vertical"};

QString ItemName(std::int16_t code) {
    const std::string_view sensor = SensorName(code);
    const QString name = QString::fromLatin1(sensor.data(), qsizetype(sensor.size()));
    return name.isEmpty() ? QStringLiteral("Item %1").arg(code) : name;
}

QString StatisticWord(MapStatistic statistic) {
    switch (statistic) {
        case MapStatistic::Max:
            return QStringLiteral("maximum");
        case MapStatistic::Mean:
            return QStringLiteral("mean");
        case MapStatistic::Min:
            return QStringLiteral("minimum");
        case MapStatistic::Count:
            return QStringLiteral("count");
    }
    return {};
}

// A number as an entry shows it: the shortest text that reads back as the same number,
// so an axis left as it was is applied exactly as it was made.
QString EntryText(double value) {
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return QString::fromLatin1(text, static_cast<int>(result.ptr - text));
}

// The number an entry holds; a decimal comma counts as a point.
std::optional<double> EntryNumber(const QString& entry) {
    std::string text = entry.trimmed().toStdString();
    std::replace(text.begin(), text.end(), ',', '.');
    if (!text.empty() && text.front() == '+') text.erase(0, 1);
    double value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size() ||
        !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

// "Samples 120 to 480" and what they are.
QString RangeText(const SampleRange& range, bool whole) {
    return QStringLiteral("samples %1 to %2%3")
        .arg(range.First)
        .arg(range.Last)
        .arg(whole ? QStringLiteral(" (the whole log)") : QStringLiteral(" (the in/out range)"));
}

void MarkEntry(QLineEdit* entry, const QString& problem) {
    entry->setToolTip(problem);
    entry->setStyleSheet(problem.isEmpty() ? QString()
                                           : QStringLiteral("QLineEdit { background: #ffd6d6; }"));
    entry->setProperty("invalid", !problem.isEmpty());
}

}  // namespace

MapWindow::MapWindow(LogSession& session, PlayerHost& host, QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session), host_(host) {
    setObjectName(QStringLiteral("frmMap"));
    setWindowTitle(QStringLiteral("Map"));
    liveTimer_.setSingleShot(true);
    liveTimer_.setInterval(LiveInterval);
    connect(&liveTimer_, &QTimer::timeout, this, [this] { ShowLiveCell(); });
    CreateControls();
    resize(kDefaultWidth, kDefaultHeight);
    connect(&session_, &LogSession::LogOpened, this, &MapWindow::SourceChanged);
    connect(&session_, &LogSession::LogClosed, this, &MapWindow::SourceChanged);
    connect(&session_, &LogSession::RangeChanged, this, &MapWindow::SourceChanged);
    connect(&session_, &LogSession::SampleShown, this,
            [this](std::int64_t, const LogRecord& record) { ShowSample(record); });
    SourceChanged();
}

MapWindow::~MapWindow() = default;

void MapWindow::CreateControls() {
    const auto entry = [this](const char* name, int axis) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(name) + QString::number(axis));
        // Wide enough for a step such as 15.9375 or a range end such as -2550.5.
        edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("-00000.0000")) +
                            12);
        connect(edit, &QLineEdit::textChanged, this, [this, axis] { CheckEntries(axis); });
        connect(edit, &QLineEdit::textEdited, this, [this, axis] { axisStarting_[axis] = false; });
        connect(edit, &QLineEdit::editingFinished, this, [this, axis] {
            // An axis entered by hand stays what it is, whatever range or log comes.
            const QComboBox* chooser = axis == 0 ? cboX : cboY;
            const auto entered = EnteredAxis(axis, nullptr);
            if (entered && chooser->currentIndex() >= 0 &&
                *entered != StartingAxis(chooser->currentData().toInt())) {
                axisStarting_[axis] = false;
            }
            Recompute();
        });
        return edit;
    };
    auto* choices = new QGridLayout;
    const struct {
        const char* label;
        QComboBox** chooser;
        const char* name;
    } rows[] = {{"&Across:", &cboX, "cboX"}, {"&Up:", &cboY, "cboY"}, {"&Cells:", &cboZ, "cboZ"}};
    for (int r = 0; r < 3; ++r) {
        auto* chooser = new QComboBox(this);
        chooser->setObjectName(QString::fromLatin1(rows[r].name));
        chooser->setMinimumContentsLength(18);
        *rows[r].chooser = chooser;
        auto* label = new QLabel(QString::fromLatin1(rows[r].label), this);
        label->setBuddy(chooser);
        choices->addWidget(label, r, 0);
        choices->addWidget(chooser, r, 1);
        if (r < 2) {
            txtFrom[r] = entry("txtFrom", r);
            txtTo[r] = entry("txtTo", r);
            txtStep[r] = entry("txtStep", r);
            choices->addWidget(new QLabel(QStringLiteral("from"), this), r, 2);
            choices->addWidget(txtFrom[r], r, 3);
            choices->addWidget(new QLabel(QStringLiteral("to"), this), r, 4);
            choices->addWidget(txtTo[r], r, 5);
            choices->addWidget(new QLabel(QStringLiteral("step"), this), r, 6);
            choices->addWidget(txtStep[r], r, 7);
            connect(chooser, &QComboBox::activated, this, [this, r] { ItemChosen(r); });
        } else {
            connect(chooser, &QComboBox::activated, this, [this] { Recompute(); });
        }
    }
    cboStatistic = new QComboBox(this);
    cboStatistic->setObjectName(QStringLiteral("cboStatistic"));
    for (const auto statistic :
         {MapStatistic::Max, MapStatistic::Mean, MapStatistic::Min, MapStatistic::Count}) {
        cboStatistic->addItem(StatisticWord(statistic), static_cast<int>(statistic));
    }
    connect(cboStatistic, &QComboBox::currentIndexChanged, this, [this] {
        picMap->SetStatistic(Statistic());
        UpdateCaption();
        ShowChosenCell();
    });
    connect(cboStatistic, &QComboBox::activated, this, [this] { statisticStarting_ = false; });
    spnMinCount = new QSpinBox(this);
    spnMinCount->setObjectName(QStringLiteral("spnMinCount"));
    spnMinCount->setRange(1, 1000000);
    spnMinCount->setValue(3);
    spnMinCount->setToolTip(QStringLiteral("Cells with fewer samples are greyed"));
    connect(spnMinCount, &QSpinBox::valueChanged, this,
            [this](int count) { picMap->SetMinimumCount(count); });
    choices->addWidget(cboStatistic, 2, 3);
    auto* minLabel = new QLabel(QStringLiteral("&grey below"), this);
    minLabel->setBuddy(spnMinCount);
    choices->addWidget(minLabel, 2, 4);
    choices->addWidget(spnMinCount, 2, 5);
    choices->addWidget(new QLabel(QStringLiteral("samples"), this), 2, 6, 1, 2);
    choices->setColumnStretch(8, 1);

    cmdCopy = new QPushButton(QStringLiteral("Copy"), this);
    cmdCopy->setObjectName(QStringLiteral("cmdCopy"));
    cmdCopy->setToolTip(QStringLiteral("Copy the table, tab-separated (Ctrl+C)"));
    cmdSaveCsv = new QPushButton(QStringLiteral("Save CSV…"), this);
    cmdSaveCsv->setObjectName(QStringLiteral("cmdSaveCsv"));
    cmdSavePng = new QPushButton(QStringLiteral("Save PNG…"), this);
    cmdSavePng->setObjectName(QStringLiteral("cmdSavePng"));
    connect(cmdCopy, &QPushButton::clicked, this, [this] { CopyTable(); });
    connect(cmdSaveCsv, &QPushButton::clicked, this, [this] { SaveCsv(); });
    connect(cmdSavePng, &QPushButton::clicked, this, [this] { SavePng(); });
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdCopy);
    buttons->addWidget(cmdSaveCsv);
    buttons->addWidget(cmdSavePng);
    buttons->addStretch(1);
    // A focused entry copies its own text; anywhere else Ctrl+C copies the table.
    auto* copy = new QShortcut(QKeySequence::Copy, this);
    connect(copy, &QShortcut::activated, this, [this] { CopyTable(); });

    auto* top = new QHBoxLayout;
    top->addLayout(choices, 1);
    top->addLayout(buttons);

    picMap = new MapGrid(this);
    connect(picMap, &MapGrid::SeekRequested, this,
            [this](std::int64_t sample) { session_.RequestSeek(sample); });
    connect(picMap, &MapGrid::CellChosen, this, [this](MapCellIndex cell) {
        chosenCell_ = cell;
        ShowChosenCell();
    });
    lblStatus = new QLabel(this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(picMap, 1);
    layout->addWidget(lblStatus);
    for (QWidget* w : {static_cast<QWidget*>(cmdCopy), static_cast<QWidget*>(cmdSaveCsv),
                       static_cast<QWidget*>(cmdSavePng)}) {
        w->setEnabled(false);
    }
}

void MapWindow::SourceChanged() {
    const bool loaded = session_.IsOpen();
    logName_ = session_.FileName();
    range_ = session_.Range();
    liveRecord_.reset();
    liveTimer_.stop();
    picMap->ClearLiveCell();
    chosenCell_.reset();
    if (!loaded || !session_.Reader()) {
        // Nothing of the last log stays on show; its choices stay for the next one.
        session_.Jobs().Cancel(kLane);
        map_.reset();
        picMap->SetMap(nullptr);
        for (QPushButton* button : {cmdCopy, cmdSaveCsv, cmdSavePng}) button->setEnabled(false);
        UpdateCaption();
        SetStatus(
            loaded ? QStringLiteral("The log cannot be read.") : QStringLiteral("No log is open."),
            loaded);
        return;
    }
    const LogOutline& outline = session_.Outline();
    // The values of the new log or range are read before the next map.
    extents_.reset();
    if (!outline_ || outline_->Codes != outline.Codes) FillChoosers(outline);
    outline_ = outline;
    stale_ = true;
    Recompute();
}

MapAxis MapWindow::StartingAxis(int slot) const {
    const std::int16_t code = outline_ ? outline_->CodeOf(slot) : -1;
    if (!extents_ || slot < 1 || slot > SlotCount) return DefaultMapAxis(code);
    return FittedMapAxis(code, (*extents_)[static_cast<std::size_t>(slot - 1)]);
}

void MapWindow::ScanExtents() {
    const std::shared_ptr<const LogFile> reader = session_.Reader();
    if (!reader || !outline_) return;
    const SampleRange range = range_.value_or(SampleRange::Whole(outline_->Records));
    struct Outcome {
        std::optional<SlotExtents> Extents;
        std::string Error;
    };
    session_.Jobs().Run(
        kLane, this,
        [reader, range](std::stop_token stop) {
            Outcome outcome;
            outcome.Extents = ScanSlotExtents(*reader, range, stop, outcome.Error);
            return outcome;
        },
        [this, range](Outcome outcome) {
            if (!outcome.Extents) {
                MapFailed(QString::fromStdString(outcome.Error));
                return;
            }
            extents_ = outcome.Extents;
            extentsRange_ = range;
            // Axes still at their start follow the values; chosen ones stay.
            for (int axis = 0; axis < 2; ++axis) {
                const QComboBox* chooser = axis == 0 ? cboX : cboY;
                if (axisStarting_[axis] && chooser->currentIndex() >= 0) {
                    ShowAxis(axis, StartingAxis(chooser->currentData().toInt()));
                }
            }
            Recompute();
        });
    SetStatus(QStringLiteral("Reading %1…").arg(RangeText(range, !range_)));
}

void MapWindow::FillChoosers(const LogOutline& outline) {
    // The items chosen so far, kept where the new log has them.
    const std::array<QComboBox*, 3> choosers{cboX, cboY, cboZ};
    std::array<std::int16_t, 3> before{-1, -1, -1};
    std::array<std::optional<MapAxis>, 2> axes;
    if (outline_) {
        for (int i = 0; i < 3; ++i) {
            if (choosers[i]->currentIndex() >= 0) {
                before[i] = outline_->CodeOf(choosers[i]->currentData().toInt());
            }
            if (i < 2) axes[i] = EnteredAxis(i, nullptr);
        }
    }
    const MapRequest defaults = DefaultMapRequest(outline);
    const std::array<int, 3> defaultSlots{defaults.XSlot, defaults.YSlot, defaults.ZSlot};
    if (statisticStarting_) {
        const QSignalBlocker blocker(cboStatistic);
        cboStatistic->setCurrentIndex(
            cboStatistic->findData(static_cast<int>(DefaultMapStatistic(outline))));
        picMap->SetStatistic(Statistic());
    }

    // The items a map can use: every slot in use, except the switch bytes (whose values
    // are bits, not numbers). An item recorded twice is told apart by its slot.
    std::vector<int> usable;
    for (int k = 1; k <= SlotCount; ++k) {
        const std::int16_t code = outline.CodeOf(k);
        if (code < 0 || IsSwitchCode(code)) continue;
        usable.push_back(k);
    }
    const auto isUsable = [&](int slot) {
        return slot != 0 && std::find(usable.begin(), usable.end(), slot) != usable.end();
    };
    // The choosers' entries, the same in all three.
    std::vector<QString> texts;
    texts.reserve(usable.size());
    for (int k : usable) {
        const std::int16_t code = outline.CodeOf(k);
        QString text = ItemName(code);
        const bool twice = std::count_if(usable.begin(), usable.end(), [&](int other) {
                               return outline.CodeOf(other) == code;
                           }) > 1;
        if (twice) text += QStringLiteral(" (slot %1)").arg(k);
        texts.push_back(text);
    }
    std::array<int, 3> chosen{};
    for (int i = 0; i < 3; ++i) {
        QComboBox* chooser = choosers[i];
        const QSignalBlocker blocker(chooser);
        chooser->clear();
        for (std::size_t n = 0; n < usable.size(); ++n) chooser->addItem(texts[n], usable[n]);
        int slot = before[i] >= 0 ? outline.SlotOf(before[i]) : 0;
        if (!isUsable(slot)) slot = defaultSlots[i];
        if (!isUsable(slot)) {
            // No default item: the first one not chosen for another chooser.
            slot = 0;
            for (int k : usable) {
                if (std::find(chosen.begin(), chosen.begin() + i, k) == chosen.begin() + i) {
                    slot = k;
                    break;
                }
            }
            if (slot == 0 && !usable.empty()) slot = usable.front();
        }
        chosen[i] = slot;
        chooser->setCurrentIndex(chooser->findData(slot));
        if (i < 2) {
            const std::int16_t code = outline.CodeOf(slot);
            // The axis chosen for this item before stays; any other starts anew.
            if (before[i] == code && axes[i] && !axisStarting_[i]) {
                ShowAxis(i, *axes[i]);
            } else {
                axisStarting_[i] = true;
                ShowAxis(i, DefaultMapAxis(code));
            }
        }
    }
}

void MapWindow::ShowAxis(int axis, const MapAxis& value) {
    for (auto [entry, number] :
         {std::pair{txtFrom[axis], value.Min}, std::pair{txtTo[axis], value.Max},
          std::pair{txtStep[axis], value.Step}}) {
        const QSignalBlocker blocker(entry);
        entry->setText(EntryText(number));
    }
    CheckEntries(axis);
}

std::optional<MapAxis> MapWindow::EnteredAxis(int axis, QString* problem) const {
    const auto from = EntryNumber(txtFrom[axis]->text());
    const auto to = EntryNumber(txtTo[axis]->text());
    const auto step = EntryNumber(txtStep[axis]->text());
    const QString name = QString::fromLatin1(kAxisNames[axis]);
    if (!from || !to || !step) {
        if (problem) {
            *problem = QStringLiteral("The %1 axis's %2 is not a number.")
                           .arg(name, !from ? QStringLiteral("start")
                                      : !to ? QStringLiteral("end")
                                            : QStringLiteral("step"));
        }
        return std::nullopt;
    }
    const MapAxis result{*from, *to, *step};
    const std::string why = result.Problem();
    if (!why.empty()) {
        if (problem)
            *problem = QStringLiteral("The %1 axis: %2.").arg(name, QString::fromStdString(why));
        return std::nullopt;
    }
    return result;
}

void MapWindow::CheckEntries(int axis) {
    const std::array<QLineEdit*, 3> entries{txtFrom[axis], txtTo[axis], txtStep[axis]};
    std::array<QString, 3> problems;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (!EntryNumber(entries[i]->text())) problems[i] = QStringLiteral("Not a number");
    }
    QString problem;
    if (problems[0].isEmpty() && problems[1].isEmpty() && problems[2].isEmpty() &&
        !EnteredAxis(axis, &problem)) {
        // The numbers do not make an axis: mark the one at fault.
        const auto step = EntryNumber(txtStep[axis]->text());
        problems[step && *step > 0 ? 1 : 2] = problem;
    }
    for (std::size_t i = 0; i < entries.size(); ++i) MarkEntry(entries[i], problems[i]);
    QString any;
    if (!ChosenRequest(&any) && !any.isEmpty() && outline_ && session_.IsOpen()) {
        ShowRequestProblem(any);
    }
}

std::optional<MapRequest> MapWindow::ChosenRequest(QString* problem) const {
    if (!session_.IsOpen() || !outline_ || cboX->currentIndex() < 0 || cboY->currentIndex() < 0 ||
        cboZ->currentIndex() < 0) {
        if (problem) *problem = QStringLiteral("No log is open.");
        return std::nullopt;
    }
    MapRequest request;
    request.XSlot = cboX->currentData().toInt();
    request.YSlot = cboY->currentData().toInt();
    request.ZSlot = cboZ->currentData().toInt();
    const auto x = EnteredAxis(0, problem);
    if (!x) return std::nullopt;
    const auto y = EnteredAxis(1, problem);
    if (!y) return std::nullopt;
    request.X = *x;
    request.Y = *y;
    request.Range = range_.value_or(SampleRange::Whole(outline_->Records));
    return request;
}

MapStatistic MapWindow::Statistic() const {
    return static_cast<MapStatistic>(cboStatistic->currentData().toInt());
}

void MapWindow::ItemChosen(int axis) {
    if (!outline_) return;
    // A new item on an axis starts from that item's starting axis.
    const QComboBox* chooser = axis == 0 ? cboX : cboY;
    axisStarting_[axis] = true;
    ShowAxis(axis, StartingAxis(chooser->currentData().toInt()));
    Recompute();
}

void MapWindow::Recompute() {
    QString problem;
    const auto request = ChosenRequest(&problem);
    if (!request) {
        if (outline_ && session_.IsOpen()) ShowRequestProblem(problem);
        return;
    }
    if (!isVisible()) {
        stale_ = true;
        return;
    }
    // The axes an item starts from fit the values of the range: read them first.
    if (!extents_ || extentsRange_ != request->Range) {
        ScanExtents();
        return;
    }
    // The same map again (an entry left without a change) is not worth a second read.
    if (!stale_ && map_ && !Computing() && map_->Request() == *request) {
        UpdateCaption();
        SetStatus(mapStatus_);
        return;
    }
    stale_ = false;
    const std::shared_ptr<const LogFile> reader = session_.Reader();
    if (!reader) {
        SetStatus(QStringLiteral("The log is no longer open: open it again to map it."), true);
        return;
    }
    struct Outcome {
        std::shared_ptr<const LogMap> Map;
        std::string Error;
    };
    session_.Jobs().Run(
        kLane, this,
        [reader, request = *request](std::stop_token stop) {
            Outcome outcome;
            auto map = LogMap::Compute(*reader, request, stop, outcome.Error);
            if (map) outcome.Map = std::make_shared<const LogMap>(std::move(*map));
            return outcome;
        },
        [this](Outcome outcome) {
            if (outcome.Map) {
                MapReady(std::move(outcome.Map));
            } else {
                MapFailed(QString::fromStdString(outcome.Error));
            }
        });
    SetStatus(QStringLiteral("Mapping %1…").arg(RangeText(request->Range, !range_)));
}

void MapWindow::MapReady(std::shared_ptr<const LogMap> map) {
    map_ = std::move(map);
    picMap->SetMap(map_);
    picMap->SetStatistic(Statistic());
    picMap->SetMinimumCount(spnMinCount->value());
    UpdateCaption();
    std::int64_t cells = 0;
    for (int r = 0; r < map_->Rows(); ++r) {
        for (int c = 0; c < map_->Columns(); ++c) cells += map_->Cell(c, r).Count > 0 ? 1 : 0;
    }
    QString text = QStringLiteral("%1 · %2 of %3 cells hold samples")
                       .arg(RangeText(map_->Request().Range, !range_))
                       .arg(cells)
                       .arg(static_cast<std::int64_t>(map_->Columns()) * map_->Rows());
    text[0] = text[0].toUpper();
    const auto beyond = [](std::int64_t below, std::int64_t above, const char* axis) {
        if (below == 0 && above == 0) return QString();
        return QStringLiteral(" · %1 beyond the %2 axis's ends")
            .arg(below + above)
            .arg(QLatin1String(axis));
    };
    text += beyond(map_->XBelow(), map_->XAbove(), "horizontal");
    text += beyond(map_->YBelow(), map_->YAbove(), "vertical");
    mapStatus_ = text;
    SetStatus(text);
    for (QPushButton* button : {cmdCopy, cmdSaveCsv, cmdSavePng}) button->setEnabled(true);
    // The sample on display, on the new map; the chosen cell's figures, if it is on it.
    ShowLiveCell();
    if (chosenCell_ &&
        !(chosenCell_->Column < map_->Columns() && chosenCell_->Row < map_->Rows())) {
        chosenCell_.reset();
    }
    ShowChosenCell();
}

void MapWindow::ShowChosenCell() {
    if (!chosenCell_ || !map_) {
        if (map_) SetStatus(mapStatus_);
        return;
    }
    QString figures = picMap->ToolTipText(*chosenCell_);
    figures.replace(QLatin1Char('\n'), QStringLiteral(" · "));
    SetStatus(figures);
}

void MapWindow::MapFailed(const QString& reason) {
    map_.reset();
    picMap->SetMap(nullptr);
    for (QPushButton* button : {cmdCopy, cmdSaveCsv, cmdSavePng}) button->setEnabled(false);
    UpdateCaption();
    SetStatus(QStringLiteral("No map: %1.").arg(reason), true);
}

const LogMap* MapWindow::Map() const {
    return map_.get();
}

bool MapWindow::Computing() const {
    return session_.Jobs().Busy(kLane);
}

void MapWindow::ShowSample(const LogRecord& record) {
    if (!isVisible()) return;
    liveRecord_ = record;
    if (!liveTimer_.isActive()) liveTimer_.start();
}

void MapWindow::ShowLiveCell() {
    if (!map_ || !liveRecord_) return;
    const MapRequest& request = map_->Request();
    const LogOutline& outline = map_->Outline();
    const auto value = [&](int slot) {
        const std::int16_t code = outline.CodeOf(slot);
        if (!IsByteCode(code)) return 0.0;
        return ConvertValue(static_cast<std::uint8_t>(code),
                            liveRecord_->SlotBytes[static_cast<std::size_t>(slot - 1)]);
    };
    const auto [column, row] = map_->CellOf(value(request.XSlot), value(request.YSlot));
    picMap->SetLiveCell(MapCellIndex{column, row});
}

void MapWindow::UpdateCaption() {
    if (!map_) {
        picMap->SetCaption(QString());
        setWindowTitle(QStringLiteral("Map"));
        return;
    }
    const MapRequest& request = map_->Request();
    const std::int16_t z = map_->Outline().CodeOf(request.ZSlot);
    const QString log = QFileInfo(QString::fromStdString(logName_)).fileName();
    const QString what =
        Statistic() == MapStatistic::Count
            ? QStringLiteral("Samples per cell")
            : QStringLiteral("%1, %2 per cell").arg(ItemName(z), StatisticWord(Statistic()));
    picMap->SetCaption(QStringLiteral("%1 — %2, samples %3 to %4")
                           .arg(what, log)
                           .arg(request.Range.First)
                           .arg(request.Range.Last));
    setWindowTitle(log.isEmpty() ? QStringLiteral("Map") : QStringLiteral("Map — %1").arg(log));
}

void MapWindow::SetStatus(const QString& text, bool problem) {
    lblStatus->setText(text);
    lblStatus->setStyleSheet(problem ? QStringLiteral("color: #b00000;") : QString());
}

void MapWindow::ShowRequestProblem(const QString& problem) {
    SetStatus(problem + QStringLiteral(" The map shows the last axes that could be used."), true);
}

void MapWindow::CopyTable() {
    if (!map_) return;
    const std::string text = map_->Text(Statistic(), '\t');
    QGuiApplication::clipboard()->setText(QString::fromStdString(text));
    SetStatus(QStringLiteral("The table (%1 per cell) is on the clipboard.")
                  .arg(StatisticWord(Statistic())));
}

QString MapWindow::SavePath(const QString& suffix) const {
    if (logName_.empty() || !map_) return QStringLiteral("map") + suffix;
    // Named after the items and the statistic, so that a second map does not overwrite
    // the first.
    return QString::fromStdString(MapFilePathFor(logName_, map_->Outline(), map_->Request(),
                                                 Statistic(), suffix.toStdString()));
}

bool MapWindow::WriteFile(const QString& path, const QByteArray& bytes) {
    // Written beside and renamed over: a failed save leaves no half file.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        host_.ShowMessage(this, QStringLiteral("Map"),
                          QStringLiteral("Cannot write %1:\n%2").arg(path, file.errorString()));
        return false;
    }
    SetStatus(QStringLiteral("Saved %1").arg(path));
    return true;
}

std::optional<QString> MapWindow::AskSavePath(const QString& title, const QString& filter,
                                              const QString& suffix) {
    PlayerHost::SaveFileRequest request;
    request.Title = title;
    request.InitialPath = SavePath(QStringLiteral(".") + suffix);
    request.Filter = filter;
    request.DefaultSuffix = suffix;
    return host_.ChooseSaveFile(this, request);
}

void MapWindow::SaveCsv() {
    if (!map_) return;
    const std::shared_ptr<const LogMap> map = map_;  // the dialog may run a new map in
    const MapStatistic statistic = Statistic();
    const auto path =
        AskSavePath(QStringLiteral("Save the map as CSV"),
                    QStringLiteral("CSV files (*.csv);;All files (*)"), QStringLiteral("csv"));
    if (!path) return;
    WriteFile(*path, QByteArray::fromStdString(map->Text(statistic, ',')));
}

void MapWindow::SavePng() {
    if (!map_) return;
    const QImage picture = picMap->Picture();
    const auto path =
        AskSavePath(QStringLiteral("Save the map as a picture"),
                    QStringLiteral("PNG pictures (*.png);;All files (*)"), QStringLiteral("png"));
    if (!path) return;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.save(&buffer, "PNG")) {
        host_.ShowMessage(this, QStringLiteral("Map"), QStringLiteral("Cannot make the picture."));
        return;
    }
    WriteFile(*path, bytes);
}

void MapWindow::SavePlace() const {
    const std::string section = SettingsSection;
    WriteSettings(section, {{"Left", SettingText(x())},
                            {"Top", SettingText(y())},
                            {"Width", SettingText(width())},
                            {"Height", SettingText(height())}});
}

void MapWindow::RestorePlace(const QWidget& beside) {
    const std::string section = SettingsSection;
    const auto number = [&](const char* key, int fallback) {
        const double value = ReadSettingNumber(section, key, fallback);
        return std::isfinite(value) ? static_cast<int>(std::clamp(value, -1.0e5, 1.0e5)) : fallback;
    };
    const QSize least = minimumSizeHint().expandedTo(QSize(420, 320));
    const int width = std::clamp(number("Width", kDefaultWidth), least.width(), 10000);
    const int height = std::clamp(number("Height", kDefaultHeight), least.height(), 10000);
    resize(width, height);
    QPoint place(beside.frameGeometry().right() + kGap, beside.frameGeometry().top());
    if (SettingPresent(section, "Left") && SettingPresent(section, "Top")) {
        place = QPoint(number("Left", place.x()), number("Top", place.y()));
    }
    // On the screen where the window's title bar would be, else on the player's; moved
    // in so that as much of it as fits shows.
    QScreen* screen = QGuiApplication::screenAt(place + QPoint(40, 10));
    if (!screen) screen = beside.screen();
    if (screen) {
        const QRect area = screen->availableGeometry();
        place.setX(std::clamp(place.x(), area.left(),
                              std::max(area.left(), area.left() + area.width() - width)));
        place.setY(std::clamp(place.y(), area.top(),
                              std::max(area.top(), area.top() + area.height() - height)));
    }
    move(place);
}

void MapWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (stale_) Recompute();
}

void MapWindow::closeEvent(QCloseEvent* event) {
    SavePlace();
    // A map still being read is read again when the window shows next.
    if (Computing()) {
        session_.Jobs().Cancel(kLane);
        stale_ = true;
    }
    liveTimer_.stop();
    event->accept();
}

}  // namespace orvane
