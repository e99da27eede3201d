#include "views/map/MapWindow.h"

#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QShortcut>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "analysis/ComputedItem.h"
#include "analysis/FormulaStream.h"
#include "analysis/MapFileName.h"
#include "log/RecordScan.h"
#include "log/modOrvane.h"
#include "session/LogSession.h"
#include "settings/modCommon.h"
#include "views/common/PlayerHost.h"
#include "views/common/WindowPlace.h"
#include "views/map/MapGrid.h"

namespace orvane {
namespace {

constexpr int kDefaultWidth = 940;
constexpr int kDefaultHeight = 700;
constexpr const char* kLane = "map";

const char* const kAxisNames[2] = {"horizontal", "vertical"};

// A chooser's entry holds its log slot (0 for a computed item) as its data, and the
// computed item's name under this role.
constexpr int kComputedRole = Qt::UserRole + 1;

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

bool Blank(const std::string& text) {
    return text.find_first_not_of(" \t") == std::string::npos;
}

// A filter's condition as a word of a file name, so that maps of the same items under
// other conditions do not overwrite each other and the name tells what was kept:
// "tps > 90 && rpm >= 3000" gives "tps_gt_90_and_rpm_ge_3000". Names and numbers stay,
// operators become words, anything else separates. A long condition is cut, with a
// checksum of the whole condition so that two long ones still differ.
std::string FilterWords(const std::string& condition) {
    static const std::pair<const char*, const char*> kOperators[] = {
        {">=", "ge"}, {"<=", "le"}, {"==", "eq"},  {"!=", "ne"},  {"&&", "and"},  {"||", "or"},
        {">", "gt"},  {"<", "lt"},  {"!", "not"},  {"+", "plus"}, {"-", "minus"}, {"*", "times"},
        {"/", "div"}, {"^", "pow"}, {"?", "then"}, {":", "else"}, {"(", "("},     {")", ")"}};
    std::vector<std::string> words;
    std::size_t at = 0;
    while (at < condition.size()) {
        const char c = condition[at];
        const auto isWordChar = [](char ch) {
            return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') ||
                   (ch >= '0' && ch <= '9') || ch == '_' || ch == '.';
        };
        if (isWordChar(c)) {
            std::size_t end = at;
            while (end < condition.size() && isWordChar(condition[end])) ++end;
            words.push_back(condition.substr(at, end - at));
            at = end;
            continue;
        }
        bool matched = false;
        for (const auto& [symbol, word] : kOperators) {
            const std::string_view text(symbol);
            if (condition.compare(at, text.size(), text) == 0) {
                // Brackets only group: they separate, like a space.
                if (text != "(" && text != ")") words.emplace_back(word);
                at += text.size();
                matched = true;
                break;
            }
        }
        if (!matched) ++at;
    }
    std::string joined;
    for (const std::string& word : words) {
        if (!joined.empty()) joined += '_';
        joined += word;
    }
    constexpr std::size_t kLongest = 60;
    if (joined.size() > kLongest) {
        std::uint32_t hash = 2166136261u;  // FNV-1a
        for (const unsigned char ch : condition) hash = (hash ^ ch) * 16777619u;
        char tail[16];
        std::snprintf(tail, sizeof tail, "-%08x", static_cast<unsigned>(hash));
        joined = joined.substr(0, kLongest) + tail;
    }
    return joined;
}

// The file name of a log without its folder.
QString BaseName(const std::string& path) {
    return QFileInfo(QString::fromStdString(path)).fileName();
}

// "samples 1 to 40 (its whole log)", for the reference.
QString ReferenceRangeText(const SampleRange& range, std::int64_t records) {
    return QStringLiteral("samples %1 to %2%3")
        .arg(range.First)
        .arg(range.Last)
        .arg(range == SampleRange::Whole(records) ? QStringLiteral(" (its whole log)")
                                                  : QStringLiteral(" (its in/out range)"));
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
    connect(&session_, &LogSession::FormulasChanged, this, &MapWindow::FormulasChanged);
    connect(&session_, &LogSession::SampleShown, this, &MapWindow::ShowSample);
    connect(&session_, &LogSession::ReferenceChanged, this, &MapWindow::ReferenceChanged);
    SourceChanged();
    ReferenceChanged();
}

MapWindow::~MapWindow() {
    // The entries lose the focus as the window goes, and would report their editing
    // finished to a window that is no longer there.
    for (QLineEdit* entry : findChildren<QLineEdit*>()) entry->blockSignals(true);
}

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
                *entered != StartingAxis(ChoiceOf(chooser))) {
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
    connect(spnMinCount, &QSpinBox::valueChanged, this, [this](int count) {
        picMap->SetMinimumCount(count);
        ShowChosenCell();  // a compared cell's difference depends on it
    });
    choices->addWidget(cboStatistic, 2, 3);
    auto* minLabel = new QLabel(QStringLiteral("&grey below"), this);
    minLabel->setBuddy(spnMinCount);
    choices->addWidget(minLabel, 2, 4);
    choices->addWidget(spnMinCount, 2, 5);
    choices->addWidget(new QLabel(QStringLiteral("samples"), this), 2, 6, 1, 2);
    chkCompare = new QCheckBox(QStringLiteral("Com&pare"), this);
    chkCompare->setObjectName(QStringLiteral("chkCompare"));
    chkCompare->setToolTip(
        QStringLiteral("Each cell with the reference log's figure and the difference, log minus "
                       "reference"));
    chkCompare->setVisible(false);
    connect(chkCompare, &QCheckBox::toggled, this, [this] { Recompute(); });
    choices->addWidget(chkCompare, 2, 8, Qt::AlignLeft);
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

    txtFilter = new QLineEdit(this);
    txtFilter->setObjectName(QStringLiteral("txtFilter"));
    txtFilter->setPlaceholderText(
        QStringLiteral("all samples (for example: tps > 90 && rpm > 3000)"));
    txtFilter->setClearButtonEnabled(true);
    txtFilter->installEventFilter(this);
    connect(txtFilter, &QLineEdit::editingFinished, this, &MapWindow::ApplyFilter);
    connect(txtFilter, &QLineEdit::textEdited, this, [this] { MarkFilter({}); });
    auto* filterLabel = new QLabel(QStringLiteral("&Filter:"), this);
    filterLabel->setBuddy(txtFilter);
    choices->addWidget(filterLabel, 3, 0);
    choices->addWidget(txtFilter, 3, 1, 1, 8);

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
    liveSample_ = 0;
    liveTimer_.stop();
    picMap->ClearLiveCell();
    chosenCell_.reset();
    const std::shared_ptr<const LogFile> reader = session_.Reader();
    if (source_.owner_before(reader) || reader.owner_before(source_)) {
        // Another log: what the live cell read of the last one goes with it.
        source_ = reader;
        liveFormulas_.reset();
        liveReader_.reset();
    }
    if (!txtFilter->hasFocus()) {
        txtFilter->setText(QString::fromStdString(session_.Filter()));
        MarkFilter({});
    }
    if (!loaded || !reader) {
        // Nothing of the last log stays on show; its choices stay for the next one.
        session_.Jobs().Cancel(kLane);
        map_.reset();
        comparison_.reset();
        shownReference_.reset();
        requestedReference_.reset();
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
    std::vector<ComputedItemDefinition> offered = PresentComputedItems(outline);
    if (!outline_ || outline_->Codes != outline.Codes || offered != offered_) {
        const auto before = ChosenItems();
        outline_ = outline;
        offered_ = std::move(offered);
        FillChoosers(before);
    }
    outline_ = outline;
    stale_ = true;
    Recompute();
}

void MapWindow::FormulasChanged() {
    if (!txtFilter->hasFocus()) {
        txtFilter->setText(QString::fromStdString(session_.Filter()));
        MarkFilter({});
    }
    if (!session_.IsOpen() || !session_.Reader() || !outline_) return;
    if (session_.FileName() != logName_ || outline_->Codes != session_.Outline().Codes) {
        SourceChanged();
        return;
    }
    std::vector<ComputedItemDefinition> offered = PresentComputedItems(*outline_);
    if (offered != offered_) {
        const auto before = ChosenItems();
        offered_ = std::move(offered);
        FillChoosers(before);
    }
    Recompute();
}

void MapWindow::ReferenceChanged() {
    const LogSession* reference = session_.Reference();
    if (reference && !referenceOffered_) {
        // The user asked to compare: the map does, until told not to.
        const QSignalBlocker blocker(chkCompare);
        chkCompare->setChecked(true);
    }
    referenceOffered_ = reference != nullptr;
    chkCompare->setVisible(referenceOffered_);
    QString label = QStringLiteral("Com&pare");
    if (reference) {
        QString name =
            chkCompare->fontMetrics().elidedText(reference->DisplayName(), Qt::ElideMiddle, 240);
        label += QStringLiteral(" with ") + name.replace(QLatin1Char('&'), QStringLiteral("&&"));
    }
    chkCompare->setText(label);
    // The reference's own range, should it change, changes its map.
    if (reference && referenceWatched_ != reference) {
        referenceWatched_ = reference;
        connect(reference, &LogSession::RangeChanged, this, &MapWindow::ReferenceChanged);
    }
    if (!session_.IsOpen() || !session_.Reader() || !outline_) return;
    // A moved offset changes nothing the map shows (and comes often while it is dragged).
    if ((map_ || Computing()) && SameReference(WantedReference(), requestedReference_)) return;
    Recompute();
}

bool MapWindow::SameReference(const std::optional<ReferenceKey>& a,
                              const std::optional<ReferenceKey>& b) {
    if (!a || !b) return !a && !b;
    return !a->Reader.owner_before(b->Reader) && !b->Reader.owner_before(a->Reader) &&
           a->Range == b->Range && a->Name == b->Name;
}

std::optional<MapWindow::ReferenceKey> MapWindow::WantedReference() const {
    const LogSession* reference = session_.Reference();
    if (!reference || !chkCompare->isChecked()) return std::nullopt;
    return ReferenceKey{reference->Reader(), reference->RangeOrWholeLog(), reference->FileName()};
}

std::vector<ComputedItemDefinition> MapWindow::PresentComputedItems(
    const LogOutline& outline) const {
    // Each item on its own, so that one that cannot be used keeps none of the others out.
    std::vector<std::string> notes;
    const FormulaSet bound(outline, ComputedItem::CompileAll(session_.ComputedItems(), notes),
                           std::nullopt);
    std::vector<ComputedItemDefinition> present;
    for (std::size_t i = 0; i < bound.ItemCount(); ++i) {
        const ComputedItemDefinition& item = bound.Item(i).Definition();
        if (!bound.Present(i) || Blank(item.Name)) continue;
        // A map names its computed items: a second item of the same name is not told apart.
        const bool named = std::any_of(present.begin(), present.end(),
                                       [&](const auto& other) { return other.Name == item.Name; });
        if (!named) present.push_back(item);
    }
    return present;
}

MapWindow::Choice MapWindow::ChoiceOf(const QComboBox* chooser) const {
    if (chooser->currentIndex() < 0) return {};
    return {chooser->currentData().toInt(),
            chooser->currentData(kComputedRole).toString().toStdString()};
}

std::array<MapWindow::ChosenItem, 3> MapWindow::ChosenItems() const {
    std::array<ChosenItem, 3> items;
    const std::array<const QComboBox*, 3> choosers{cboX, cboY, cboZ};
    for (std::size_t i = 0; i < choosers.size(); ++i) {
        if (choosers[i]->currentIndex() < 0) continue;
        const Choice choice = ChoiceOf(choosers[i]);
        if (!choice.Computed.empty()) {
            items[i].Computed = choice.Computed;
        } else if (outline_) {
            items[i].Code = outline_->CodeOf(choice.Slot);
        }
    }
    return items;
}

const ComputedItemDefinition* MapWindow::OfferedItem(const std::string& name) const {
    for (const ComputedItemDefinition& item : offered_) {
        if (item.Name == name) return &item;
    }
    return nullptr;
}

MapAxis MapWindow::StartingAxis(const Choice& choice) const {
    if (!choice.Computed.empty()) {
        const ComputedItemDefinition* item = OfferedItem(choice.Computed);
        if (!item) return {0, 16, 1};
        std::optional<ValueRange> values;
        for (std::size_t i = 0; extents_ && i < extentsItems_.size(); ++i) {
            if (extentsItems_[i] == *item) values = computedRanges_[i];
        }
        return DefaultMapAxis(*item, values);
    }
    const int slot = choice.Slot;
    const std::int16_t code = outline_ ? outline_->CodeOf(slot) : -1;
    if (!extents_ || slot < 1 || slot > SlotCount) return DefaultMapAxis(code);
    return FittedMapAxis(code, (*extents_)[static_cast<std::size_t>(slot - 1)]);
}

void MapWindow::ScanExtents() {
    const std::shared_ptr<const LogFile> reader = session_.Reader();
    if (!reader || !outline_) return;
    const SampleRange range = range_.value_or(SampleRange::Whole(outline_->Records));
    // The computed items offered, for the axes they start from.
    std::vector<std::string> notes;
    std::vector<ComputedItem> compiled = ComputedItem::CompileAll(offered_, notes);
    // Where each offered item's range comes (none for one that did not compile).
    std::vector<std::optional<std::size_t>> rangeOf;
    for (const ComputedItemDefinition& item : offered_) {
        const auto found = std::find_if(compiled.begin(), compiled.end(),
                                        [&](const auto& c) { return c.Definition() == item; });
        rangeOf.push_back(found == compiled.end()
                              ? std::nullopt
                              : std::optional<std::size_t>(found - compiled.begin()));
    }
    struct Outcome {
        std::optional<SlotExtents> Extents;
        std::vector<std::optional<ValueRange>> Ranges;
        std::string Error;
    };
    session_.Jobs().Run(
        kLane, this,
        [reader, range, formulas = FormulaSet(*outline_, std::move(compiled), std::nullopt)](
            std::stop_token stop) mutable {
            Outcome outcome;
            outcome.Extents = ScanSlotExtents(*reader, range, stop, outcome.Error);
            if (!outcome.Extents || formulas.ItemCount() == 0) return outcome;
            formulas.Expect(range.Count());
            auto ranges = ComputedValueRanges(*reader, formulas, range, stop, outcome.Error);
            if (!ranges) {
                outcome.Extents.reset();
            } else {
                outcome.Ranges = std::move(*ranges);
            }
            return outcome;
        },
        [this, range, items = offered_, rangeOf = std::move(rangeOf)](Outcome outcome) {
            if (!outcome.Extents) {
                MapFailed(QString::fromStdString(outcome.Error));
                return;
            }
            extents_ = outcome.Extents;
            extentsRange_ = range;
            extentsItems_ = items;
            computedRanges_.assign(items.size(), std::nullopt);
            for (std::size_t i = 0; i < items.size(); ++i) {
                if (rangeOf[i] && *rangeOf[i] < outcome.Ranges.size()) {
                    computedRanges_[i] = outcome.Ranges[*rangeOf[i]];
                }
            }
            // Axes still at their start follow the values; chosen ones stay.
            for (int axis = 0; axis < 2; ++axis) {
                const QComboBox* chooser = axis == 0 ? cboX : cboY;
                if (axisStarting_[axis] && chooser->currentIndex() >= 0) {
                    ShowAxis(axis, StartingAxis(ChoiceOf(chooser)));
                }
            }
            Recompute();
        });
    SetStatus(QStringLiteral("Reading %1…").arg(RangeText(range, !range_)));
}

void MapWindow::FillChoosers(const std::array<ChosenItem, 3>& before) {
    const LogOutline& outline = *outline_;
    const std::array<QComboBox*, 3> choosers{cboX, cboY, cboZ};
    // The axes entered so far, kept for an item that stays.
    std::array<std::optional<MapAxis>, 2> axes;
    for (int i = 0; i < 2; ++i) axes[i] = EnteredAxis(i, nullptr);
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
    // The choosers' entries, the same in all three: the log's items, then the computed
    // items present for it.
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
        for (const ComputedItemDefinition& item : offered_) {
            const QString name = QString::fromStdString(item.Name);
            chooser->addItem(name, 0);
            chooser->setItemData(chooser->count() - 1, name, kComputedRole);
            chooser->setItemData(
                chooser->count() - 1,
                QStringLiteral("Computed: %1").arg(QString::fromStdString(item.Formula)),
                Qt::ToolTipRole);
        }
        Choice choice;
        if (!before[i].Computed.empty() && OfferedItem(before[i].Computed)) {
            choice.Computed = before[i].Computed;
        } else {
            int slot = before[i].Code >= 0 ? outline.SlotOf(before[i].Code) : 0;
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
            choice.Slot = slot;
        }
        chosen[i] = choice.Slot;
        chooser->setCurrentIndex(-1);  // adding the first entry chose it
        for (int n = 0; n < chooser->count(); ++n) {
            if (chooser->itemData(n).toInt() == choice.Slot &&
                chooser->itemData(n, kComputedRole).toString().toStdString() == choice.Computed) {
                chooser->setCurrentIndex(n);
                break;
            }
        }
        if (i < 2) {
            const ChosenItem now = choice.Computed.empty()
                                       ? ChosenItem{outline.CodeOf(choice.Slot), {}}
                                       : ChosenItem{-1, choice.Computed};
            const bool anItem = now.Code >= 0 || !now.Computed.empty();
            // The axis chosen for this item before stays; any other starts anew.
            if (anItem && before[i] == now && axes[i] && !axisStarting_[i]) {
                ShowAxis(i, *axes[i]);
            } else {
                axisStarting_[i] = true;
                ShowAxis(i, StartingAxis(choice));
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
    const Choice across = ChoiceOf(cboX);
    const Choice up = ChoiceOf(cboY);
    const Choice cells = ChoiceOf(cboZ);
    request.XSlot = across.Slot;
    request.YSlot = up.Slot;
    request.ZSlot = cells.Slot;
    request.XComputed = across.Computed;
    request.YComputed = up.Computed;
    request.ZComputed = cells.Computed;
    // The definitions of the computed items the map shows, each once.
    for (const Choice* choice : {&across, &up, &cells}) {
        if (choice->Computed.empty()) continue;
        const ComputedItemDefinition* item = OfferedItem(choice->Computed);
        if (!item) {
            if (problem) {
                *problem = QStringLiteral("The computed item \"%1\" is not there any more.")
                               .arg(QString::fromStdString(choice->Computed));
            }
            return std::nullopt;
        }
        if (std::none_of(request.Computed.begin(), request.Computed.end(),
                         [&](const auto& other) { return other.Name == item->Name; })) {
            request.Computed.push_back(*item);
        }
    }
    request.Filter = session_.Filter();
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
    ShowAxis(axis, StartingAxis(ChoiceOf(chooser)));
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
    if (!extents_ || extentsRange_ != request->Range || extentsItems_ != offered_) {
        ScanExtents();
        return;
    }
    const std::optional<ReferenceKey> wanted = WantedReference();
    const bool sameMap = !stale_ && map_ && !Computing() && map_->Request() == *request;
    // The same map again (an entry left without a change) is not worth a second read;
    // nor is the log's map alone when it was compared.
    if (sameMap && SameReference(shownReference_, wanted)) {
        UpdateCaption();
        ShowMapStatus();
        return;
    }
    if (sameMap && !wanted) {
        requestedReference_.reset();
        MapReady(map_, nullptr, {}, std::nullopt);
        return;
    }
    stale_ = false;
    const std::shared_ptr<const LogFile> reader = session_.Reader();
    if (!reader) {
        SetStatus(QStringLiteral("The log is no longer open: open it again to map it."), true);
        return;
    }
    // The reference's map: the same items found in its own slots, over its own range.
    std::shared_ptr<const LogFile> referenceReader;
    std::optional<MapRequest> referenceRequest;
    QString compareProblem;
    if (wanted) {
        const LogSession* reference = session_.Reference();
        referenceReader = reference->Reader();
        std::string error;
        if (!referenceReader) {
            compareProblem = QStringLiteral("the reference cannot be read");
        } else if (referenceRequest = MapComparison::ReferenceRequest(
                       *request, *outline_, reference->Outline(), wanted->Range, error);
                   !referenceRequest) {
            compareProblem = QString::fromStdString(error);
        }
    }
    requestedReference_ = wanted;
    struct Outcome {
        std::shared_ptr<const LogMap> Map;
        std::shared_ptr<const MapComparison> Comparison;
        std::string Error;
        std::string CompareProblem;
    };
    session_.Jobs().Run(
        kLane, this,
        [reader, request = *request, referenceReader,
         referenceRequest = std::move(referenceRequest)](std::stop_token stop) {
            Outcome outcome;
            auto map = LogMap::Compute(*reader, request, stop, outcome.Error);
            if (!map) return outcome;
            if (referenceRequest) {
                std::string error;
                auto theirs = LogMap::Compute(*referenceReader, *referenceRequest, stop, error);
                if (!theirs) {
                    outcome.CompareProblem = "the reference: " + error;
                } else if (theirs->Request().X != request.X || theirs->Request().Y != request.Y) {
                    outcome.CompareProblem = "the reference's map has other axes";
                } else {
                    // The same axes: the two maps line up.
                    auto both = MapComparison::Of(std::move(*map), std::move(*theirs));
                    if (!both) {
                        outcome.Error = "the two maps do not line up";
                        return outcome;
                    }
                    outcome.Comparison = std::make_shared<const MapComparison>(std::move(*both));
                    // The log's map is the comparison's, kept alive by it.
                    outcome.Map = std::shared_ptr<const LogMap>(outcome.Comparison,
                                                                &outcome.Comparison->Log());
                    return outcome;
                }
            }
            outcome.Map = std::make_shared<const LogMap>(std::move(*map));
            return outcome;
        },
        [this, wanted, compareProblem](Outcome outcome) {
            if (!outcome.Map) {
                MapFailed(QString::fromStdString(outcome.Error));
                return;
            }
            const QString notCompared = compareProblem.isEmpty()
                                            ? QString::fromStdString(outcome.CompareProblem)
                                            : compareProblem;
            MapReady(std::move(outcome.Map), std::move(outcome.Comparison), notCompared, wanted);
        });
    SetStatus(QStringLiteral("Mapping %1…").arg(RangeText(request->Range, !range_)));
}

void MapWindow::MapReady(std::shared_ptr<const LogMap> map,
                         std::shared_ptr<const MapComparison> comparison,
                         const QString& compareProblem, std::optional<ReferenceKey> compared) {
    map_ = std::move(map);
    comparison_ = std::move(comparison);
    shownReference_ = std::move(compared);
    picMap->SetStatistic(Statistic());
    picMap->SetMinimumCount(spnMinCount->value());
    if (comparison_) {
        picMap->SetComparison(comparison_, BaseName(logName_), BaseName(shownReference_->Name));
    } else {
        picMap->SetMap(map_);
    }
    UpdateCaption();
    const LogMap* reference = comparison_ ? &comparison_->Reference() : nullptr;
    std::int64_t cells = 0;
    for (int r = 0; r < map_->Rows(); ++r) {
        for (int c = 0; c < map_->Columns(); ++c) {
            const bool held =
                map_->Cell(c, r).Count > 0 && (!reference || reference->Cell(c, r).Count > 0);
            cells += held ? 1 : 0;
        }
    }
    QString text = RangeText(map_->Request().Range, !range_);
    text[0] = text[0].toUpper();
    if (reference) {
        text +=
            QStringLiteral(" · Compared with %1, %2")
                .arg(BaseName(shownReference_->Name),
                     ReferenceRangeText(reference->Request().Range, reference->Outline().Records));
    }
    const std::string filtered = map_->FilterSummary();
    if (!filtered.empty()) {
        text += QStringLiteral(" · Filtered: ") + QString::fromStdString(filtered);
        if (reference) {
            text += QStringLiteral("; the reference: ") +
                    QString::fromStdString(reference->FilterSummary());
        }
    }
    text += (reference ? QStringLiteral(" · %1 of %2 cells hold samples of both logs")
                       : QStringLiteral(" · %1 of %2 cells hold samples"))
                .arg(cells)
                .arg(static_cast<std::int64_t>(map_->Columns()) * map_->Rows());
    // Samples where a computed item of the map has no value (a division by zero...).
    const auto unmappedText = [](const LogMap& of, const QString& whose) {
        const std::int64_t unmapped = of.Passed() - of.Binned();
        if (unmapped <= 0) return QString();
        return QStringLiteral(" · %1%2 without a computed value")
            .arg(unmapped == 1 ? QStringLiteral("1 sample")
                               : QStringLiteral("%1 samples").arg(unmapped),
                 whose);
    };
    text += unmappedText(*map_, QString());
    if (reference) text += unmappedText(*reference, QStringLiteral(" of the reference"));
    const auto beyond = [](std::int64_t below, std::int64_t above, const char* axis) {
        if (below == 0 && above == 0) return QString();
        return QStringLiteral(" · %1 beyond the %2 axis's ends")
            .arg(below + above)
            .arg(QLatin1String(axis));
    };
    text += beyond(map_->XBelow() + (reference ? reference->XBelow() : 0),
                   map_->XAbove() + (reference ? reference->XAbove() : 0), "horizontal");
    text += beyond(map_->YBelow() + (reference ? reference->YBelow() : 0),
                   map_->YAbove() + (reference ? reference->YAbove() : 0), "vertical");
    // A comparison asked for and not made: the log's map is on show, and why.
    mapStatusProblem_ = !compareProblem.isEmpty();
    if (mapStatusProblem_) text += QStringLiteral(" · Not compared: %1.").arg(compareProblem);
    mapStatus_ = text;
    ShowMapStatus();
    for (QPushButton* button : {cmdCopy, cmdSaveCsv, cmdSavePng}) button->setEnabled(true);
    // The sample on display, on the new map; the chosen cell's figures, if it is on it.
    PrepareLiveFormulas();
    ShowLiveCell();
    if (chosenCell_ &&
        !(chosenCell_->Column < map_->Columns() && chosenCell_->Row < map_->Rows())) {
        chosenCell_.reset();
    }
    ShowChosenCell();
}

void MapWindow::ShowMapStatus() {
    SetStatus(mapStatus_, mapStatusProblem_);
}

void MapWindow::ShowChosenCell() {
    if (!chosenCell_ || !map_) {
        if (map_) ShowMapStatus();
        return;
    }
    QString figures = picMap->ToolTipText(*chosenCell_);
    figures.replace(QLatin1Char('\n'), QStringLiteral(" · "));
    SetStatus(figures);
}

void MapWindow::MapFailed(const QString& reason) {
    map_.reset();
    comparison_.reset();
    shownReference_.reset();
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

void MapWindow::ShowSample(std::int64_t number, const LogRecord& record) {
    if (!isVisible()) return;
    liveRecord_ = record;
    liveSample_ = number;
    if (!liveTimer_.isActive()) liveTimer_.start();
}

void MapWindow::PrepareLiveFormulas() {
    liveFormulas_.reset();
    liveX_.reset();
    liveY_.reset();
    if (!map_) return;
    const MapRequest& request = map_->Request();
    if (request.XComputed.empty() && request.YComputed.empty() && Blank(request.Filter)) return;
    // Only what places a sample: the axes' items and the filter.
    std::vector<ComputedItemDefinition> axes;
    for (const std::string* name : {&request.XComputed, &request.YComputed}) {
        for (const ComputedItemDefinition& item : request.Computed) {
            if (name->empty() || item.Name != *name) continue;
            if (axes.empty() || axes.front().Name != item.Name) axes.push_back(item);
            break;
        }
    }
    std::string error;
    auto formulas = FormulaSet::Prepare(map_->Outline(), axes, request.Filter, error);
    if (!formulas) return;
    if (!liveReader_) {
        // A reader of this thread's own: the jobs read the session's.
        const std::shared_ptr<const LogFile> reader = session_.Reader();
        auto own = std::make_shared<LogFile>();
        std::uint8_t first[RecordSize];
        if (!reader || !own->OpenDuplicateOf(*reader) || !RecordScan(*own).ReadOne(1, first))
            return;
        liveFirstMillis_ = LogRecord::Decode(first).Millis;
        liveReader_ = std::move(own);
    }
    if (!request.XComputed.empty()) liveX_ = formulas->IndexOf(request.XComputed);
    if (!request.YComputed.empty()) liveY_ = formulas->IndexOf(request.YComputed);
    liveFormulas_ = std::move(*formulas);
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
    double x = value(request.XSlot);
    double y = value(request.YSlot);
    if (!request.XComputed.empty() || !request.YComputed.empty() || !Blank(request.Filter)) {
        // The computed items of the axes and the filter for this one sample; one the map
        // would not bin is in no cell.
        if (!liveFormulas_ || liveSample_ < 1) {
            picMap->LeaveLiveCell();
            return;
        }
        const std::array<std::uint8_t, RecordSize> bytes = liveRecord_->Encode();
        std::uint8_t previous[RecordSize];
        std::copy(bytes.begin(), bytes.end(), previous);  // the first sample is its own
        if (liveSample_ > 1 && !RecordScan(*liveReader_).ReadOne(liveSample_ - 1, previous)) {
            picMap->LeaveLiveCell();
            return;
        }
        liveFormulas_->Evaluate(liveSample_, previous, liveFirstMillis_, bytes, liveValues_);
        if (liveValues_.Count != 1 || liveValues_.Pass[0] == 0) {
            picMap->LeaveLiveCell();
            return;
        }
        if (liveX_) x = liveValues_.Items[*liveX_][0];
        if (liveY_) y = liveValues_.Items[*liveY_][0];
        if (std::isnan(x) || std::isnan(y)) {
            picMap->LeaveLiveCell();
            return;
        }
    }
    const auto [column, row] = map_->CellOf(x, y);
    picMap->SetLiveCell(MapCellIndex{column, row});
}

void MapWindow::UpdateCaption() {
    if (!map_) {
        picMap->SetCaption(QString());
        setWindowTitle(QStringLiteral("Map"));
        return;
    }
    const MapRequest& request = map_->Request();
    const QString z = request.ZComputed.empty() ? ItemName(map_->Outline().CodeOf(request.ZSlot))
                                                : QString::fromStdString(request.ZComputed);
    const QString log = QFileInfo(QString::fromStdString(logName_)).fileName();
    const QString what = Statistic() == MapStatistic::Count
                             ? QStringLiteral("Samples per cell")
                             : QStringLiteral("%1, %2 per cell").arg(z, StatisticWord(Statistic()));
    QString caption = QStringLiteral("%1 — %2, samples %3 to %4")
                          .arg(what, log)
                          .arg(request.Range.First)
                          .arg(request.Range.Last);
    QString reference;
    if (comparison_) {
        // The cells: the log's figure, the reference's in brackets, the difference.
        const SampleRange& theirs = comparison_->Reference().Request().Range;
        reference = BaseName(shownReference_->Name);
        caption += QStringLiteral(" − %1 (in brackets), samples %2 to %3")
                       .arg(reference)
                       .arg(theirs.First)
                       .arg(theirs.Last);
    }
    const std::string filtered = map_->FilterSummary();
    if (!filtered.empty()) {
        caption += QStringLiteral(" — Filtered: ") + QString::fromStdString(filtered);
        if (comparison_) {
            caption += QStringLiteral("; the reference: ") +
                       QString::fromStdString(comparison_->Reference().FilterSummary());
        }
    }
    picMap->SetCaption(caption);
    setWindowTitle(log.isEmpty() ? QStringLiteral("Map")
                   : reference.isEmpty()
                       ? QStringLiteral("Map — %1").arg(log)
                       : QStringLiteral("Map — %1 against %2").arg(log, reference));
}

void MapWindow::SetStatus(const QString& text, bool problem) {
    lblStatus->setText(text);
    lblStatus->setStyleSheet(problem ? QStringLiteral("color: #b00000;") : QString());
}

void MapWindow::ShowRequestProblem(const QString& problem) {
    SetStatus(problem + QStringLiteral(" The map shows the last axes that could be used."), true);
}

std::string MapWindow::TableText(char separator) const {
    if (comparison_) {
        return comparison_->Text(Statistic(), spnMinCount->value(), separator, logName_,
                                 shownReference_->Name);
    }
    return map_ ? map_->Text(Statistic(), separator) : std::string();
}

void MapWindow::CopyTable() {
    if (!map_) return;
    QGuiApplication::clipboard()->setText(QString::fromStdString(TableText('\t')));
    SetStatus(comparison_
                  ? QStringLiteral("The tables (%1 per cell: the log, the reference and the "
                                   "difference) are on the clipboard.")
                        .arg(StatisticWord(Statistic()))
                  : QStringLiteral("The table (%1 per cell) is on the clipboard.")
                        .arg(StatisticWord(Statistic())));
}

QString MapWindow::SavePath(const QString& suffix) const {
    if (logName_.empty() || !map_) return QStringLiteral("map") + suffix;
    // Named after the items and the statistic, so that a second map does not overwrite
    // the first; a filtered map also after its condition ("..._where-tps_gt_90.csv").
    const MapRequest& request = map_->Request();
    std::string path = MapFilePathFor(logName_, map_->Outline(), request, Statistic(), "");
    if (comparison_) {
        // A comparison names its reference (and the reference's range when it has one),
        // so that it overwrites neither the log's map nor a comparison with another log.
        std::string name = QFileInfo(QString::fromStdString(shownReference_->Name))
                               .completeBaseName()
                               .toStdString();
        for (char& c : name) {
            const bool kept = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                              (c >= '0' && c <= '9') || c == '_' || c == '-' || c == '.';
            if (!kept) c = '_';
        }
        path += "_vs-" + (name.empty() ? std::string("reference") : name);
        const LogMap& reference = comparison_->Reference();
        const SampleRange& range = reference.Request().Range;
        if (range != SampleRange::Whole(reference.Outline().Records)) {
            char text[48];
            std::snprintf(text, sizeof text, "_%06lld-%06lld", static_cast<long long>(range.First),
                          static_cast<long long>(range.Last));
            path += text;
        }
    }
    if (!Blank(request.Filter)) {
        const std::string words = FilterWords(request.Filter);
        path += "_where-" + (words.empty() ? std::string("filtered") : words);
    }
    return QString::fromStdString(path) + suffix;
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
    // What is on show now: the dialog may run a new map in.
    const std::string text = TableText(',');
    const auto path =
        AskSavePath(comparison_ ? QStringLiteral("Save the comparison as CSV")
                                : QStringLiteral("Save the map as CSV"),
                    QStringLiteral("CSV files (*.csv);;All files (*)"), QStringLiteral("csv"));
    if (!path) return;
    WriteFile(*path, QByteArray::fromStdString(text));
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
    WindowPlace::Save(*this, SettingsSection);
}

void MapWindow::RestorePlace(const QWidget& beside) {
    WindowPlace::Restore(*this, SettingsSection, beside, QSize(kDefaultWidth, kDefaultHeight),
                         QSize(420, 320));
}

void MapWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (stale_) Recompute();
}

void MapWindow::ApplyFilter() {
    const std::string before = session_.Filter();
    std::string problem;
    if (!session_.SetFilter(txtFilter->text().toStdString(), &problem)) {
        MarkFilter(QString::fromStdString(problem));
        return;
    }
    MarkFilter({});
    // A changed filter maps anew through FormulasChanged; the same one again puts the
    // status line back.
    if (session_.Filter() == before && session_.IsOpen()) Recompute();
}

void MapWindow::MarkFilter(const QString& problem) {
    const bool wasInvalid = txtFilter->property("invalid").toBool();
    txtFilter->setToolTip(problem.isEmpty() ? QStringLiteral("Only the samples where the "
                                                             "condition holds are mapped")
                                            : problem);
    txtFilter->setStyleSheet(
        problem.isEmpty() ? QString() : QStringLiteral("QLineEdit { background: #ffd6d6; }"));
    txtFilter->setProperty("invalid", !problem.isEmpty());
    if (!problem.isEmpty()) {
        SetStatus(QStringLiteral("The filter cannot be used: %1").arg(problem), true);
    } else if (wasInvalid && map_) {
        ShowChosenCell();
    }
}

bool MapWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtFilter && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        txtFilter->clear();
        ApplyFilter();
        return true;
    }
    return QWidget::eventFilter(watched, event);
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
