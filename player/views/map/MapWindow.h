#pragma once

#include <QTimer>
#include <QWidget>
#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "analysis/LogMap.h"
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
// The user chooses the three items among the log's, each axis's range and step (an
// entry that cannot be used is marked and not applied), the statistic and the fewest
// samples a cell needs to be coloured. It maps the session's log over its range (the whole
// log without one) and follows both. Maps are computed on the session's job runner; the
// window answers meanwhile, and a newer request abandons an older one.
//
// While the log plays, the cell of the sample on display is outlined (at most once a
// frame, whatever the pace) with a fading trail behind it. A double-click on a cell asks
// the session to show the cell's maximum. Ctrl+C copies the table with
// tabs; Save CSV writes it with commas, as `orvane-csv --map` prints it; Save PNG saves
// the picture.
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
    QPushButton* cmdCopy = nullptr;
    QPushButton* cmdSaveCsv = nullptr;
    QPushButton* cmdSavePng = nullptr;
    QLabel* lblStatus = nullptr;
    MapGrid* picMap = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // The session opened or closed a log or its in/out range changed. A log with other
    // items gets the default choices for the items it lacks. The map is computed anew,
    // at once when the window is shown, else when it is next shown.
    void SourceChanged();
    // A sample was put on display: cheap, the outline moves on the next frame.
    void ShowSample(const LogRecord& record);
    void CreateControls();
    // Lists the items of `outline` in the three choosers, keeping the items chosen before
    // where the log has them.
    void FillChoosers(const LogOutline& outline);
    // The axis an item starts from: fitted to the values the map's range holds once they
    // are known, else the item's default axis.
    MapAxis StartingAxis(int slot) const;
    // Reads the values the map's range holds, then maps it.
    void ScanExtents();
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
    std::string logName_;
    std::optional<LogOutline> outline_;
    std::optional<SampleRange> range_;
    // The values each slot holds over `extentsRange_`, for the axes an item starts from.
    std::optional<SlotExtents> extents_;
    SampleRange extentsRange_;
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
    QTimer liveTimer_;
};

}  // namespace orvane
