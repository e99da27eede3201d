#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/AlarmTable.h"
#include "analysis/ComputedSummary.h"
#include "analysis/FormulaSet.h"
#include "analysis/LogFingerprint.h"
#include "analysis/LogOutline.h"
#include "analysis/LogPauses.h"
#include "analysis/MarksFile.h"
#include "analysis/MinMaxSummary.h"
#include "analysis/OverviewSummary.h"
#include "log/LogFile.h"
#include "log/LogLoader.h"
#include "log/LogRecord.h"
#include "log/SampleRange.h"
#include "playback/DisplayLayout.h"
#include "session/JobRunner.h"

namespace orvane {

// What the player knows about the open log beyond where playback stands: the file and
// its outline (the header, read once), which log slot each display slot shows, the
// layout's description of the display slots, the markers and the in/out range with
// their marks file, the sample on display, and the overview's summary. Every view of
// the log observes it; the main window feeds it (a log opened or closed, a sample shown).
//
// Views read the log through Reader(): a reader of its own, with positional reads only,
// so nothing a view does moves playback's read position. Whole-log work runs on Jobs(),
// which abandons everything under way when the log changes.
class LogSession : public QObject {
    Q_OBJECT

public:
    explicit LogSession(QObject* parent = nullptr);
    ~LogSession() override;

    // --- The open log ---
    // The player has loaded `fileName` into `playback` (whose outline it read) and
    // measured it at `length` bytes. The session takes a reader of its own, the
    // bindings, the marks and starts the overview's summary. A log whose file cannot
    // be read a second time is open without a reader: views then show nothing.
    void Open(const std::string& fileName, const LogFile& playback, const LogOutline& outline,
              std::int64_t length);
    // No log any more (a failed open, or an open dialog that closed it).
    void Close();
    bool IsOpen() const noexcept { return outline_.has_value(); }
    const std::string& FileName() const noexcept { return fileName_; }
    // The log's file name without its folder.
    QString DisplayName() const;
    // The outline; all zero without a log.
    const LogOutline& Outline() const noexcept;
    std::int64_t LengthBytes() const noexcept { return length_; }
    // The last sample the log held whole when it was opened (0 without a log).
    std::int64_t LastSample() const noexcept { return IsOpen() ? outline_->Records : 0; }
    // Positional reads of the open log, shared with the jobs that read it; null without a
    // log. A job keeps the file open for as long as it holds it.
    std::shared_ptr<const LogFile> Reader() const noexcept { return reader_; }

    // --- The layout and what each display slot shows ---
    void SetLayout(const DisplayLayout& layout);
    const DisplayLayout& Layout() const noexcept { return layout_; }
    // One binding per display slot (element 0 is display slot 1): by the layout's rule for
    // the open log, and slot for slot before a log is opened.
    const std::vector<DisplaySlotBinding>& Bindings() const noexcept { return bindings_; }
    // The value boxes that can alarm in the open log, and their display slots.
    std::vector<AlarmBox> AlarmBoxes(std::vector<int>* displaySlots = nullptr) const;
    // The scale the layout draws a log slot's item on (see ScaleOfLogSlot).
    std::pair<double, double> ScaleOf(int logSlot) const;

    // --- Markers and the in/out range ---
    // Kept in the log's marks file, which other players of the same log may change too:
    // each change is merged with what the file holds (nobody's markers are lost; the
    // range last set wins), and a file changed by another player is noticed within a
    // second and its merged state shown.
    const std::vector<std::int64_t>& Markers() const noexcept { return marks_.Markers; }
    std::optional<SampleRange> Range() const noexcept { return marks_.Range; }
    // Everything the marks file holds for the log (the filter, the reference log too).
    const LogMarks& Marks() const noexcept { return marks_; }
    // The range, or the whole log without one.
    SampleRange RangeOrWholeLog() const noexcept;
    // Each does nothing without a log or for a sample outside it; the marks file is
    // written on every change.
    void ToggleMarker(std::int64_t sample);
    // One set before the other swaps them; only an in point selects to the end, only an
    // out point from the start.
    void SetInPoint(std::int64_t sample);
    void SetOutPoint(std::int64_t sample);
    void ClearRange();
    // The marker after `sample`, or before it (none before sample 0 or 1).
    std::optional<std::int64_t> MarkerAfter(std::int64_t sample) const;
    std::optional<std::int64_t> MarkerBefore(std::int64_t sample) const;
    // Looks whether another player changed the marks file, and shows the merged marks if
    // so. Runs every second while a log is open.
    void CheckMarksFile();

    // --- Computed items and the sample filter ---
    // The computed items of the settings file ([ComputedN]), and one line per section
    // or formula that could not be used, for the statistics window.
    void SetComputedItems(std::vector<ComputedItemDefinition> items,
                          std::vector<std::string> notes);
    const std::vector<ComputedItemDefinition>& ComputedItems() const noexcept { return computed_; }
    const std::vector<std::string>& ComputedNotes() const noexcept { return computedNotes_; }
    // Adds a computed item (one just written to the settings file).
    void AddComputedItem(const ComputedItemDefinition& item);
    // The filter condition (empty: none), kept in the marks file with the markers.
    const std::string& Filter() const noexcept { return marks_.Filter; }
    // Sets the filter (blank: none); false, with muparser's message and position in
    // `problem`, when it does not compile: nothing changes then.
    bool SetFilter(const std::string& condition, std::string* problem = nullptr);
    // The computed items and the filter bound to the open log, for the views' whole-log
    // work: items that name what the log lacks are absent, with the reason. nullopt with
    // the reason when the filter cannot be compiled.
    std::optional<FormulaSet> Formulas(std::string& error) const;

    // --- Comparing with a reference log ---
    // A second log beside the open one (the same road driven before a change), read-only:
    // a session of its own without playback, with a shared lock on its own file; it never
    // moves the open log's playback or locks the open log. It stays when another log is
    // opened. Its place on the open log's time axis is an offset in milliseconds (0: the
    // two first samples meet; later shown later), kept in the open log's marks file with
    // the reference's name, so that opening the log again restores the pair.
    //
    // Opens `fileName` as the reference: the status of the load (a file that cannot be
    // opened or has an invalid header is refused, and nothing changes).
    LogLoadStatus OpenReference(const std::string& fileName);
    void CloseReference();
    // The reference, or null.
    const LogSession* Reference() const noexcept { return reference_.get(); }
    std::int64_t ReferenceOffsetMillis() const noexcept;
    void SetReferenceOffset(std::int64_t millis);

    // --- The sample on display ---
    // Told for every sample shown (thousands a second at "Max"); 0 when none is shown.
    void SetShownSample(std::int64_t number, const LogRecord& record);
    // The sample on display when the log holds it; 0 otherwise.
    std::int64_t ShownSample() const noexcept;
    const LogRecord& ShownRecord() const noexcept { return shownRecord_; }
    // A view asks to show `sample`: SeekRequested when the log holds it whole.
    void RequestSeek(std::int64_t sample);

    // --- Whole-log work ---
    JobRunner& Jobs() noexcept { return jobs_; }
    // The overview's summary of the open log, once ready (null before and without a log).
    std::shared_ptr<const OverviewSummary> Summary() const noexcept { return summary_; }
    // Looks for the next (forward) or previous alarm start from `from` on the job runner
    // and hands it to `found` (nullopt: none) on this thread, unless the log changed.
    void FindAlarm(bool forward, std::int64_t from,
                   std::function<void(std::optional<std::int64_t>)> found);

    // A short note for the user, shown on the overview strip's note line; one about the
    // sample on display ("No alarm after sample 40.") goes when another sample shows.
    void Note(const QString& text, bool untilAnotherSample = false);

    // --- The whole log's summary and its pauses, shared by the strip and the chart ---
    // The min/max summary of every slot the overview's summary views, once ready (null
    // before and without a log).
    std::shared_ptr<const MinMaxSummary> MinMax() const noexcept { return minMax_; }
    // The pauses of the logging (gaps of MinPauseMillis or more), found on the job
    // runner when a log opens; null until PausesReady (and without a log, or when the log
    // cannot be read).
    std::shared_ptr<const std::vector<LogPause>> Pauses() const noexcept { return pauses_; }

    // --- The computed items' summary, for the chart and the strip ---
    // The computed items and the filter over the blocks of MinMax(), made on the job
    // runner once the summary is ready and again whenever the formulas change; null
    // before, without computed items and filter, and while it is being made again.
    std::shared_ptr<const ComputedSummary> ComputedMinMax() const noexcept {
        return computedMinMax_;
    }

signals:
    void LogOpened();
    void LogClosed();
    // The in/out range was set, moved or cleared (also when a log opens or closes).
    void RangeChanged();
    void MarkersChanged();
    // A sample was put on display (number 0: none). Emitted for every sample: receivers
    // keep it cheap and repaint at most once a frame.
    void SampleShown(std::int64_t number, const LogRecord& record);
    void SummaryReady();
    // The computed items or the filter changed.
    void FormulasChanged();
    // A reference was opened or closed, or its offset changed.
    void ReferenceChanged();
    void SeekRequested(std::int64_t sample);
    void NoteShown(const QString& text, bool untilAnotherSample);
    void PausesReady();
    // ComputedMinMax() changed: a new one is ready, or the one before is gone.
    void ComputedSummaryReady();

private:
    void LoadMarks();
    // Saves `changed` (the marks after a change of the user's) merged with the marks
    // file, shows the result and tells the observers of what changed.
    void SaveMarks(LogMarks changed);
    // Shows `marks`, telling the observers of what differs from what was shown.
    void ShowMarks(LogMarks marks);
    void StartSummary();
    // The reference the marks file names, with its offset, once the log is open.
    void RestoreReference();
    // The name the marks file keeps for the reference: its file name when it lies
    // beside the log, else its full path; and back.
    std::string ReferenceName(const std::string& fileName) const;
    std::string ReferencePath(const std::string& name) const;
    bool Holds(std::int64_t sample) const noexcept { return sample >= 1 && sample <= LastSample(); }

    std::string fileName_;
    std::optional<LogOutline> outline_;
    std::int64_t length_ = 0;
    std::shared_ptr<const LogFile> reader_;
    DisplayLayout layout_;
    std::vector<DisplaySlotBinding> bindings_;
    LogFingerprint fingerprint_;
    LogMarks marks_;      // what is shown
    LogMarks marksBase_;  // what the marks file held when last read or written
    MarksStamp marksStamp_;
    QTimer marksWatch_;
    bool marksSaved_ = true;  // false once the marks file could not be written
    std::int64_t shown_ = 0;
    LogRecord shownRecord_{};
    std::shared_ptr<const OverviewSummary> summary_;
    std::unique_ptr<LogSession> reference_;
    bool isReference_ = false;  // this session is another one's reference
    std::int64_t referenceOffset_ = 0;
    std::vector<ComputedItemDefinition> computed_;
    std::vector<std::string> computedNotes_;
    JobRunner jobs_;

    // The summary and the pauses (see MinMax(), Pauses()).
    void StartPauses();
    std::shared_ptr<const MinMaxSummary> minMax_;
    std::shared_ptr<const std::vector<LogPause>> pauses_;

    // The computed items' summary (see ComputedMinMax()).
    void StartComputedSummary();
    std::shared_ptr<const ComputedSummary> computedMinMax_;
};

}  // namespace orvane
