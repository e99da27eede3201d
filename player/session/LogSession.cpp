#include "session/LogSession.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>

#include "analysis/AlarmStarts.h"
#include "analysis/MarksFile.h"
#include "log/RecordScan.h"

namespace orvane {
namespace {

const LogOutline kNoOutline{};

constexpr const char* kSummaryLane = "overview";
constexpr const char* kAlarmLane = "alarm";
constexpr const char* kPausesLane = "pauses";
constexpr const char* kComputedLane = "computed-summary";

}  // namespace

LogSession::LogSession(QObject* parent) : QObject(parent) {
    bindings_ = LayoutBindings(layout_);
    marksWatch_.setInterval(1000);
    connect(&marksWatch_, &QTimer::timeout, this, &LogSession::CheckMarksFile);
    connect(this, &LogSession::FormulasChanged, this, &LogSession::StartComputedSummary);
}

LogSession::~LogSession() = default;

void LogSession::Open(const std::string& fileName, const LogFile& playback,
                      const LogOutline& outline, std::int64_t length) {
    jobs_.Abandon();
    summary_.reset();
    minMax_.reset();
    computedMinMax_.reset();
    pauses_.reset();
    fileName_ = fileName;
    outline_ = outline;
    length_ = length;
    shown_ = 0;
    auto reader = std::make_shared<LogFile>();
    std::string reason;
    if (reader->OpenDuplicateOf(playback, &reason)) {
        reader_ = std::move(reader);
    } else {
        reader_.reset();
        std::fprintf(stderr, "OrvanePlayer: %s: cannot read the log a second time: %s\n",
                     fileName.c_str(), reason.c_str());
    }
    bindings_ = BindingsFor(layout_, outline.Codes);
    // The log's fingerprint tells its marks file from another log's.
    std::string error;
    const auto fingerprint = reader_ ? LogFingerprint::Of(*reader_, error) : std::nullopt;
    fingerprint_ = fingerprint ? *fingerprint : LogFingerprint(LastSample());
    fingerprint_.Records = LastSample();
    LoadMarks();
    emit LogOpened();
    emit MarkersChanged();
    emit RangeChanged();
    StartSummary();
    StartPauses();
    if (!isReference_) RestoreReference();
}

void LogSession::Close() {
    if (!IsOpen() && fileName_.empty()) return;
    jobs_.Abandon();
    summary_.reset();
    minMax_.reset();
    computedMinMax_.reset();
    pauses_.reset();
    reader_.reset();
    outline_.reset();
    fileName_.clear();
    length_ = 0;
    shown_ = 0;
    marksWatch_.stop();
    marks_ = {};
    marksBase_ = {};
    marksStamp_ = {};
    marksSaved_ = true;
    bindings_ = LayoutBindings(layout_);
    emit LogClosed();
    emit MarkersChanged();
    emit RangeChanged();
}

QString LogSession::DisplayName() const {
    return QFileInfo(QString::fromStdString(fileName_)).fileName();
}

const LogOutline& LogSession::Outline() const noexcept {
    return outline_ ? *outline_ : kNoOutline;
}

void LogSession::SetLayout(const DisplayLayout& layout) {
    layout_ = layout;
    bindings_ = IsOpen() ? BindingsFor(layout_, outline_->Codes) : LayoutBindings(layout_);
}

std::vector<AlarmBox> LogSession::AlarmBoxes(std::vector<int>* displaySlots) const {
    if (!IsOpen()) return {};
    return AlarmBoxesOf(layout_, bindings_, outline_->Codes, displaySlots);
}

std::pair<double, double> LogSession::ScaleOf(int logSlot) const {
    return ScaleOfLogSlot(layout_, bindings_, logSlot, Outline().CodeOf(logSlot));
}

// --- Markers and the range ---

void LogSession::LoadMarks() {
    marks_ = {};
    marksBase_ = {};
    marksSaved_ = true;
    const std::string path = MarksFile::PathFor(fileName_);
    const MarksResult read = MarksFile::Read(path, fingerprint_);
    marksStamp_ = read.Stamp;
    if (read.Status == MarksStatus::Ok) {
        marks_ = read.Marks;
        marksBase_ = read.Marks;
    } else if (read.Status == MarksStatus::Invalid) {
        // Marks that do not fit this log are no reason to refuse it.
        std::fprintf(stderr, "OrvanePlayer: %s: markers ignored: %s\n", path.c_str(),
                     read.Reason.c_str());
    }
    if (!isReference_) marksWatch_.start();
}

void LogSession::SaveMarks(LogMarks changed) {
    const std::string path = MarksFile::PathFor(fileName_);
    const MarksResult saved = MarksFile::Update(path, fingerprint_, marksBase_, changed);
    switch (saved.Status) {
        case MarksStatus::Ok:
        case MarksStatus::Missing:
            // What the file holds now: this player's change merged with the others'.
            marksBase_ = saved.Marks;
            marksStamp_ = saved.Stamp;
            marksSaved_ = true;
            ShowMarks(saved.Marks);
            return;
        case MarksStatus::Failed:
            // Kept in memory for as long as the log stays open; said once.
            if (marksSaved_) {
                Note(QStringLiteral("Markers are kept for this session only: %1")
                         .arg(QString::fromStdString(saved.Reason)));
            }
            marksSaved_ = false;
            ShowMarks(std::move(changed));
            return;
        case MarksStatus::Invalid:
            // The change would make marks that do not fit: it is not made.
            Note(QString::fromStdString(saved.Reason));
            return;
    }
}

void LogSession::ShowMarks(LogMarks marks) {
    const bool markersChanged = marks.Markers != marks_.Markers;
    const bool rangeChanged = marks.Range != marks_.Range;
    const bool filterChanged = marks.Filter != marks_.Filter;
    marks_ = std::move(marks);
    if (markersChanged) emit MarkersChanged();
    if (rangeChanged) emit RangeChanged();
    if (filterChanged) emit FormulasChanged();
}

void LogSession::CheckMarksFile() {
    if (!IsOpen()) return;
    const std::string path = MarksFile::PathFor(fileName_);
    const MarksStamp stamp = MarksFile::StampOf(path);
    if (stamp == marksStamp_) return;
    const MarksResult read = MarksFile::Read(path, fingerprint_);
    marksStamp_ = stamp;
    if (read.Status != MarksStatus::Ok && read.Status != MarksStatus::Missing) return;
    // Another player's marks, with the changes of this one not yet saved on top.
    LogMarks merged = MarksFile::Merge(marksBase_, marks_, read.Marks);
    marksBase_ = read.Marks;
    marksStamp_ = read.Stamp;
    ShowMarks(std::move(merged));
}

SampleRange LogSession::RangeOrWholeLog() const noexcept {
    return marks_.Range.value_or(SampleRange::Whole(LastSample()));
}

void LogSession::ToggleMarker(std::int64_t sample) {
    if (!IsOpen() || !Holds(sample)) return;
    LogMarks changed = marks_;
    std::vector<std::int64_t>& markers = changed.Markers;
    const auto at = std::lower_bound(markers.begin(), markers.end(), sample);
    if (at != markers.end() && *at == sample) {
        markers.erase(at);
        Note(QStringLiteral("Marker at sample %1 removed.").arg(sample));
    } else if (markers.size() >= MarksFile::MaxMarkers) {
        Note(QStringLiteral("A log keeps at most %1 markers.").arg(MarksFile::MaxMarkers));
        return;
    } else {
        markers.insert(at, sample);
    }
    SaveMarks(std::move(changed));
}

void LogSession::SetInPoint(std::int64_t sample) {
    if (!IsOpen() || !Holds(sample)) return;
    LogMarks changed = marks_;
    const std::int64_t out = changed.Range ? changed.Range->Last : LastSample();
    changed.Range = SampleRange{std::min(sample, out), std::max(sample, out)};
    SaveMarks(std::move(changed));
}

void LogSession::SetOutPoint(std::int64_t sample) {
    if (!IsOpen() || !Holds(sample)) return;
    LogMarks changed = marks_;
    const std::int64_t in = changed.Range ? changed.Range->First : 1;
    changed.Range = SampleRange{std::min(sample, in), std::max(sample, in)};
    SaveMarks(std::move(changed));
}

void LogSession::ClearRange() {
    if (!IsOpen() || !marks_.Range) return;
    LogMarks changed = marks_;
    changed.Range.reset();
    SaveMarks(std::move(changed));
}

std::optional<std::int64_t> LogSession::MarkerAfter(std::int64_t sample) const {
    const std::vector<std::int64_t>& markers = marks_.Markers;
    const auto next = std::upper_bound(markers.begin(), markers.end(), sample);
    if (next == markers.end()) return std::nullopt;
    return *next;
}

std::optional<std::int64_t> LogSession::MarkerBefore(std::int64_t sample) const {
    const std::vector<std::int64_t>& markers = marks_.Markers;
    const auto next = std::lower_bound(markers.begin(), markers.end(), sample);
    if (next == markers.begin() || sample <= 0) return std::nullopt;
    return *std::prev(next);
}

// --- The reference log ---

std::string LogSession::ReferenceName(const std::string& fileName) const {
    const QFileInfo reference(QString::fromStdString(fileName));
    const QFileInfo log(QString::fromStdString(fileName_));
    if (reference.absolutePath() == log.absolutePath()) return reference.fileName().toStdString();
    return reference.absoluteFilePath().toStdString();
}

std::string LogSession::ReferencePath(const std::string& name) const {
    const QFileInfo stored(QString::fromStdString(name));
    if (stored.isAbsolute()) return name;
    return QFileInfo(QString::fromStdString(fileName_))
        .dir()
        .filePath(stored.filePath())
        .toStdString();
}

LogLoadStatus LogSession::OpenReference(const std::string& fileName) {
    LogFile file;
    const LogLoadResult loaded = LoadLogFile(fileName, file);
    if (loaded.Status != LogLoadStatus::Ok) return loaded.Status;
    LogOutline outline;
    outline.Codes = loaded.Header.SlotItemCodes;
    outline.Start = loaded.Start;
    outline.Records =
        std::clamp<std::int64_t>(CompleteRecords(loaded.Length), 0, loaded.RecordCount);
    auto reference = std::make_unique<LogSession>();
    reference->isReference_ = true;
    reference->SetLayout(layout_);
    reference->SetComputedItems(computed_, {});
    // Its reader keeps the file (and the shared lock) for as long as it is compared.
    reference->Open(fileName, file, outline, loaded.Length);
    reference_ = std::move(reference);
    // The offset the marks file keeps for this very reference, else the starts meet.
    referenceOffset_ = 0;
    if (IsOpen()) {
        const std::string name = ReferenceName(fileName);
        if (marks_.Reference && marks_.Reference->File == name) {
            referenceOffset_ = marks_.Reference->OffsetMillis;
        } else {
            LogMarks changed = marks_;
            changed.Reference = ReferenceLog{name, 0};
            SaveMarks(std::move(changed));
        }
    }
    emit ReferenceChanged();
    return LogLoadStatus::Ok;
}

void LogSession::CloseReference() {
    if (!reference_) return;
    reference_.reset();
    referenceOffset_ = 0;
    if (IsOpen() && marks_.Reference) {
        LogMarks changed = marks_;
        changed.Reference.reset();
        SaveMarks(std::move(changed));
    }
    emit ReferenceChanged();
}

std::int64_t LogSession::ReferenceOffsetMillis() const noexcept {
    return reference_ ? referenceOffset_ : 0;
}

void LogSession::SetReferenceOffset(std::int64_t millis) {
    if (!reference_ || millis == referenceOffset_) return;
    referenceOffset_ = millis;
    if (IsOpen()) {
        LogMarks changed = marks_;
        changed.Reference = ReferenceLog{ReferenceName(reference_->FileName()), millis};
        SaveMarks(std::move(changed));
    }
    emit ReferenceChanged();
}

void LogSession::RestoreReference() {
    if (reference_) {
        // Kept from the log before: with this log's offset for it, if it has one.
        const std::string name = ReferenceName(reference_->FileName());
        referenceOffset_ =
            marks_.Reference && marks_.Reference->File == name ? marks_.Reference->OffsetMillis : 0;
        emit ReferenceChanged();
        return;
    }
    // The pair the marks file names, when its reference is still there.
    if (!marks_.Reference) return;
    const std::string path = ReferencePath(marks_.Reference->File);
    if (OpenReference(path) != LogLoadStatus::Ok) {
        std::fprintf(stderr, "OrvanePlayer: %s: the reference log cannot be opened\n",
                     path.c_str());
    }
}

// --- Computed items and the filter ---

void LogSession::SetComputedItems(std::vector<ComputedItemDefinition> items,
                                  std::vector<std::string> notes) {
    computed_ = std::move(items);
    computedNotes_ = std::move(notes);
    if (reference_) reference_->SetComputedItems(computed_, {});
    emit FormulasChanged();
}

void LogSession::AddComputedItem(const ComputedItemDefinition& item) {
    computed_.push_back(item);
    if (reference_) reference_->AddComputedItem(item);
    emit FormulasChanged();
}

bool LogSession::SetFilter(const std::string& condition, std::string* problem) {
    std::string filter = condition;
    const auto first = filter.find_first_not_of(" \t");
    filter = first == std::string::npos ? std::string() : filter.substr(first);
    while (!filter.empty() && (filter.back() == ' ' || filter.back() == '\t')) filter.pop_back();
    if (!filter.empty()) {
        ExpressionError error;
        if (!Expression::Compile(filter, error)) {
            if (problem) *problem = error.Text();
            return false;
        }
    }
    if (!IsOpen() || filter == marks_.Filter) return true;
    LogMarks changed = marks_;
    changed.Filter = filter;
    SaveMarks(std::move(changed));
    if (marks_.Filter != filter) {
        if (problem) *problem = "the filter cannot be kept in the marks file";
        return false;
    }
    return true;
}

std::optional<FormulaSet> LogSession::Formulas(std::string& error) const {
    return FormulaSet::Prepare(Outline(), computed_, marks_.Filter, error);
}

// --- The sample on display ---

void LogSession::SetShownSample(std::int64_t number, const LogRecord& record) {
    shown_ = number;
    shownRecord_ = record;
    emit SampleShown(number, record);
}

std::int64_t LogSession::ShownSample() const noexcept {
    return Holds(shown_) ? shown_ : 0;
}

void LogSession::RequestSeek(std::int64_t sample) {
    if (IsOpen() && Holds(sample)) emit SeekRequested(sample);
}

// --- Whole-log work ---

void LogSession::StartSummary() {
    if (!reader_) return;
    OverviewRequest request;
    for (std::size_t t = 0; t < request.TracedSlots.size(); ++t) {
        const std::int16_t item = layout_.Overview.Items[t];
        if (item >= 0) request.TracedSlots[t] = outline_->SlotOf(item);
    }
    request.Boxes = AlarmBoxes();
    jobs_.Run(
        kSummaryLane, this,
        [reader = reader_, request = std::move(request)](std::stop_token stop) mutable {
            std::string error;
            auto whole = MinMaxSummary::Build(*reader, std::move(request.Boxes), stop, error);
            if (!whole) return std::shared_ptr<const OverviewSummary>();
            return std::make_shared<const OverviewSummary>(
                std::make_shared<const MinMaxSummary>(std::move(*whole)), request.TracedSlots);
        },
        [this](std::shared_ptr<const OverviewSummary> summary) {
            // A log that cannot be read leaves the strip (and the chart) empty for this log.
            if (!summary) return;
            summary_ = std::move(summary);
            minMax_ = summary_->Shared();
            emit SummaryReady();
            StartComputedSummary();
        });
}

void LogSession::FindAlarm(bool forward, std::int64_t from,
                           std::function<void(std::optional<std::int64_t>)> found) {
    if (!reader_) {
        found(std::nullopt);
        return;
    }
    jobs_.Run(
        kAlarmLane, this,
        [reader = reader_, boxes = AlarmBoxes(), summary = summary_, forward,
         from](std::stop_token stop) {
            const AlarmStarts starts(boxes);
            // The summary speeds the search up only when it was made for these very boxes.
            return forward ? starts.Next(*reader, from, summary.get(), stop)
                           : starts.Previous(*reader, from, summary.get(), stop);
        },
        std::move(found));
}

void LogSession::Note(const QString& text, bool untilAnotherSample) {
    emit NoteShown(text, untilAnotherSample);
}

// --- The pauses ---

void LogSession::StartPauses() {
    if (!reader_ || LastSample() < 1) return;
    const SampleRange whole = SampleRange::Whole(LastSample());
    jobs_.Run(
        kPausesLane, this,
        [reader = reader_, whole](std::stop_token stop) {
            std::string error;
            auto pauses = FindPauses(*reader, whole, stop, error);
            return pauses ? std::make_shared<const std::vector<LogPause>>(std::move(*pauses))
                          : std::shared_ptr<const std::vector<LogPause>>();
        },
        [this](std::shared_ptr<const std::vector<LogPause>> pauses) {
            if (!pauses) return;
            pauses_ = std::move(pauses);
            emit PausesReady();
        });
}

// --- The computed items' summary ---

void LogSession::StartComputedSummary() {
    jobs_.Cancel(kComputedLane);
    const bool had = computedMinMax_ != nullptr;
    computedMinMax_.reset();
    std::string error;
    // A reference log's views do not draw computed items: no summary for it.
    std::optional<FormulaSet> formulas =
        reader_ && minMax_ && !isReference_ ? Formulas(error) : std::nullopt;
    if (!formulas || formulas->Empty()) {
        if (had) emit ComputedSummaryReady();
        return;
    }
    if (had) emit ComputedSummaryReady();
    jobs_.Run(
        kComputedLane, this,
        [reader = reader_, blocks = minMax_,
         formulas = std::move(*formulas)](std::stop_token stop) mutable {
            std::string problem;
            auto summary =
                ComputedSummary::Build(*reader, *blocks, std::move(formulas), stop, problem);
            return summary ? std::make_shared<const ComputedSummary>(std::move(*summary))
                           : std::shared_ptr<const ComputedSummary>();
        },
        [this, blocks = minMax_](std::shared_ptr<const ComputedSummary> summary) {
            // One made for the blocks of another log is of no use.
            if (!summary || blocks != minMax_) return;
            computedMinMax_ = std::move(summary);
            emit ComputedSummaryReady();
        });
}

}  // namespace orvane
