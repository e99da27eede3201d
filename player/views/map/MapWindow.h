#pragma once

#include <QTimer>
#include <QWidget>
#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/FormulaSet.h"
#include "analysis/LogMap.h"
#include "log/ComputedItemDefinition.h"
#include "log/LogFile.h"
#include "log/LogRecord.h"
#include "log/SampleRange.h"
#include "views/map/MapGrid.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace orvane {

class LogSession;
class PlayerHost;

// The map window: the samples of the open log (or of its in/out range) folded onto two
// of its items, engine speed against load by default, with the maximum, mean, minimum
// or count of a third item in every cell: the tuner's table fill. Non-modal, beside the
// player.
//
// The user chooses the three items among the log's and the computed items present for
// it (after the log's), each axis's range and step (an entry that cannot be used is
// marked and not applied), the statistic and the fewest samples a cell needs to be
// coloured. It maps the session's log over its range (the whole log without one) and
// follows both. Maps are computed on the session's job runner; the window answers
// meanwhile, and a newer request abandons an older one.
//
// The filter field holds the session's one sample filter (kept in the marks file, shared
// with the statistics window): only the samples where it holds are binned, and the
// caption and the status line say how many of them there are. A condition that does not
// compile turns the field red with the reason and is not applied; Escape clears it. The
// map follows the session's computed items and filter, wherever they were changed.
//
// While the log plays, the cell of the sample on display is outlined (at most once a
// frame, whatever the pace) with a fading trail behind it; a sample the map would not
// bin (one the filter rejects, or where a computed axis has no value) outlines no cell.
// A double-click on a cell asks
// the session to show the cell's maximum. Ctrl+C copies the table with
// tabs; Save CSV writes it with commas, as `orvane-csv --map` prints it; Save PNG saves
// the picture. The proposed file name of a filtered map carries its condition.
//
// Its size and place are kept in the settings file, in a section of its own:
//
//   [Map Window]
//   Left=…  Top=…  Width=…  Height=…
class MapWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr const char* SettingsSection = "Map Window";
    // The live cell follows the sample on display at most this often.
    static constexpr std::chrono::milliseconds LiveInterval{16};

    // `host` answers the save dialogs and shows failures. Both must outlive the window.
    MapWindow(LogSession& session, PlayerHost& host, QWidget* parent = nullptr);
    ~MapWindow() override;

    // The map on show (null while none is).
    const LogMap* Map() const;
    // True while a map is being computed.
    bool Computing() const;
    // The choices as they would be applied now; nullopt (with the reason) while an entry
    // cannot be used or no log is loaded.
    std::optional<MapRequest> ChosenRequest(QString* problem = nullptr) const;
    MapStatistic Statistic() const;

    // Ctrl+C: the table, tab-separated, to the clipboard.
    void CopyTable();
    // "Save CSV…" and "Save PNG…": ask for a file and write the table or the picture.
    void SaveCsv();
    void SavePng();

    // Writes the window's place and size to its settings section.
    void SavePlace() const;
    // Takes the place and size from the settings section, else puts the window to the
    // right of `beside`; either way on a screen.
    void RestorePlace(const QWidget& beside);

    // --- Controls (public for the tests, like the player's) ---
    QComboBox* cboX = nullptr;
    QComboBox* cboY = nullptr;
    QComboBox* cboZ = nullptr;
    QComboBox* cboStatistic = nullptr;
    // Per axis (0 horizontal, 1 vertical): the start, end and step of its range.
    std::array<QLineEdit*, 2> txtFrom{};
    std::array<QLineEdit*, 2> txtTo{};
    std::array<QLineEdit*, 2> txtStep{};
    QSpinBox* spnMinCount = nullptr;
    QLineEdit* txtFilter = nullptr;
    QPushButton* cmdCopy = nullptr;
    QPushButton* cmdSaveCsv = nullptr;
    QPushButton* cmdSavePng = nullptr;
    QLabel* lblStatus = nullptr;
    MapGrid* picMap = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // What a chooser holds: a log slot, or a computed item by name (slot 0).
    struct Choice {
        int Slot = 0;
        std::string Computed;
    };
    // A chosen item by what it is rather than where the log keeps it, so that a choice
    // survives another log: an item code, or a computed item's name.
    struct ChosenItem {
        std::int16_t Code = -1;
        std::string Computed;
        friend bool operator==(const ChosenItem&, const ChosenItem&) = default;
    };

    // The session opened or closed a log or its in/out range changed. A log with other
    // items gets the default choices for the items it lacks. The map is computed anew,
    // at once when the window is shown, else when it is next shown.
    void SourceChanged();
    // The session's computed items or filter changed: the choosers offer the computed
    // items present now, the field shows the filter, and the map follows.
    void FormulasChanged();
    // A sample was put on display: cheap, the outline moves on the next frame.
    void ShowSample(std::int64_t number, const LogRecord& record);
    void CreateControls();
    // The session's computed items that the open log has what they need for, each name
    // once.
    std::vector<ComputedItemDefinition> PresentComputedItems(const LogOutline& outline) const;
    Choice ChoiceOf(const QComboBox* chooser) const;
    // The three choosers' items (horizontal, vertical, cells), as outline_ holds them.
    std::array<ChosenItem, 3> ChosenItems() const;
    // Lists the items of outline_ and the computed items of offered_ in the three
    // choosers, keeping the items of `before` where they are offered.
    void FillChoosers(const std::array<ChosenItem, 3>& before);
    const ComputedItemDefinition* OfferedItem(const std::string& name) const;
    // The axis an item starts from: fitted to the values the map's range holds once they
    // are known, else the item's default axis.
    MapAxis StartingAxis(const Choice& choice) const;
    // Reads the values the map's range holds (of its slots and of the computed items
    // offered), then maps it.
    void ScanExtents();
    // The filter field: the condition typed, given to the session; refused with the
    // reason when it does not compile.
    void ApplyFilter();
    void MarkFilter(const QString& problem);
    // Makes ready what the live cell needs to place a sample on a map whose axes show a
    // computed item or whose samples are filtered.
    void PrepareLiveFormulas();
    // The figures of the chosen cell, in the status line until another cell is chosen.
    void ShowChosenCell();
    // The axis of chooser `axis` (0, 1) from its entries; nullopt with the reason when
    // one cannot be used.
    std::optional<MapAxis> EnteredAxis(int axis, QString* problem) const;
    void ShowAxis(int axis, const MapAxis& value);
    // Marks the entries of an axis that cannot be used.
    void CheckEntries(int axis);
    void ItemChosen(int axis);
    // Starts computing the map of the choices (when shown; else on the next show).
    void Recompute();
    void MapReady(std::shared_ptr<const LogMap> map);
    void MapFailed(const QString& reason);
    void ShowLiveCell();
    void UpdateCaption();
    void SetStatus(const QString& text, bool problem = false);
    // A choice that cannot be used, in the status line, while the last map stays.
    void ShowRequestProblem(const QString& problem);
    // The default name of a saved map: beside the log, after it.
    QString SavePath(const QString& suffix) const;
    // Asks where to save, starting beside the log; nullopt when the user cancels.
    std::optional<QString> AskSavePath(const QString& title, const QString& filter,
                                       const QString& suffix);
    bool WriteFile(const QString& path, const QByteArray& bytes);

    LogSession& session_;
    PlayerHost& host_;
    // The session's reader of the log the window maps, to notice another log.
    std::weak_ptr<const LogFile> source_;
    std::string logName_;
    std::optional<LogOutline> outline_;
    std::optional<SampleRange> range_;
    // The values each slot holds over `extentsRange_`, for the axes an item starts from.
    std::optional<SlotExtents> extents_;
    SampleRange extentsRange_;
    // The computed items present for the log, as the choosers offer them; the range of
    // the values of those in extentsItems_ over extentsRange_ (nullopt: none there).
    std::vector<ComputedItemDefinition> offered_;
    std::vector<ComputedItemDefinition> extentsItems_;
    std::vector<std::optional<ValueRange>> computedRanges_;
    // Whether an axis (the statistic) is still the one it started from: such an axis
    // follows the values of a new range, a chosen one stays.
    std::array<bool, 2> axisStarting_{true, true};
    bool statisticStarting_ = true;
    std::optional<MapCellIndex> chosenCell_;
    bool stale_ = false;  // the map is to be computed anew when the window shows
    std::shared_ptr<const LogMap> map_;
    QString mapStatus_;  // what the status line says of the map on show

    // The latest sample shown; the timer runs while its cell waits for the next frame.
    std::optional<LogRecord> liveRecord_;
    std::int64_t liveSample_ = 0;
    QTimer liveTimer_;
    // For a map with a computed axis or a filter: the formulas of the map's axes and
    // filter, a reader of the log of its own for the sample before the one on display,
    // and the Millis of the log's first sample (for t).
    std::optional<FormulaSet> liveFormulas_;
    std::optional<std::size_t> liveX_, liveY_;
    std::shared_ptr<LogFile> liveReader_;
    std::int32_t liveFirstMillis_ = 0;
    FormulaValues liveValues_;
};

}  // namespace orvane
