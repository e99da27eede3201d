#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>

#include "analysis/LogMap.h"
#include "analysis/MapComparison.h"
#include "views/map/MapColourScale.h"

namespace orvane {

// One cell of a map: its column (horizontal bin) and row (vertical bin, 0 the lowest).
struct MapCellIndex {
    int Column = 0;
    int Row = 0;
    friend bool operator==(const MapCellIndex&, const MapCellIndex&) = default;
};

// The picture of a map: one cell per pair of bins, coloured by the chosen statistic of
// its samples on a colour scale shown beside it, with the number in the cell where it
// fits; blank where no sample fell, grey where fewer samples than the minimum did. The
// horizontal axis runs along the bottom and the vertical one up the left side, both
// labelled with their bin edges ("≤" / "≥" at an end whose bin also holds the samples
// beyond it) and the item's name and unit. An item may be a computed one: it goes by
// its name and unit, and its values have two decimals, as its value boxes show them.
//
// Given a comparison of the log with a reference log, each cell shows the log's figure,
// the reference's (in brackets) and their difference, log minus reference, coloured on
// a diverging scale centred on zero; a cell where either log has fewer samples than the
// minimum has no difference and is grey, one where neither has any is blank.
//
// Over it: the cell of the sample on display (the live cell) outlined, and the few
// cells it was in before fading behind it as a trail.
//
// A press on a cell chooses it (CellChosen): the window shows its figures where they
// stay. Hovering a cell shows them as a tooltip; a double-click asks to seek to the
// sample with the cell's maximum (SeekRequested).
//
// The map itself is drawn once per change into an image; a paint copies it and adds the
// live cell and the trail, so following playback costs a copy per frame at most.
class MapGrid : public QWidget {
    Q_OBJECT

public:
    // How a cell is drawn.
    enum class CellLook { Empty, Greyed, Coloured };
    // How many cells the trail keeps behind the live cell.
    static constexpr int TrailLength = 6;

    explicit MapGrid(QWidget* parent = nullptr);
    ~MapGrid() override;

    // The map to show (null: none), with the statistic its cells show and the fewest
    // samples a cell needs to be coloured. The live cell and the trail are forgotten when
    // the map's axes change.
    void SetMap(std::shared_ptr<const LogMap> map);
    // A comparison to show (null: none, as SetMap(nullptr)); its log's map is the map.
    // The names are the two logs' as the tooltip calls them.
    void SetComparison(std::shared_ptr<const MapComparison> comparison, const QString& logName,
                       const QString& referenceName);
    const MapComparison* Comparison() const { return comparison_.get(); }
    void SetStatistic(MapStatistic statistic);
    void SetMinimumCount(std::int64_t count);
    // The line above the grid: what the map shows and over which samples.
    void SetCaption(const QString& caption);
    const QString& Caption() const { return caption_; }

    // The cell of the sample on display; the one before joins the trail. nullopt: no
    // sample is on display (the trail is kept).
    void SetLiveCell(std::optional<MapCellIndex> cell);
    // The sample on display falls into no cell of the map (the filter rejects it, or a
    // computed axis has no value there): the live cell joins the trail, none is outlined.
    void LeaveLiveCell();
    // Forgets the live cell and the trail.
    void ClearLiveCell();
    std::optional<MapCellIndex> LiveCell() const { return live_; }
    // The trail, the most recent cell first.
    const std::deque<MapCellIndex>& Trail() const { return trail_; }

    // --- What the picture shows, for the window and for tests ---
    QRect GridRect() const { return grid_; }
    QRect CellRect(MapCellIndex cell) const;
    std::optional<MapCellIndex> CellAt(QPoint point) const;
    CellLook LookOf(MapCellIndex cell) const;
    // The number drawn in the cell (empty for a cell without samples); in a comparison
    // the difference ("+2", "-0.50"; empty where there is none).
    QString CellText(MapCellIndex cell) const;
    // In a comparison: the log's figure, the reference's and the difference, as the cell
    // shows them from the top (each empty where there is none). Empty texts otherwise.
    std::array<QString, 3> CellFigures(MapCellIndex cell) const;
    QColor CellColour(MapCellIndex cell) const;
    // The labels at the bin boundaries: the first at the lower end of the first bin, the
    // last at the upper end of the last bin.
    QStringList ColumnEdgeLabels() const;
    QStringList RowEdgeLabels() const;
    const MapColourScale& Scale() const { return scale_; }
    QRect LegendRect() const { return legend_; }
    // A value on the colour scale's legend: with the cell item's unit (a count without);
    // in a comparison a difference, with its sign.
    QString LegendText(double value) const;
    // The figures a press on the cell shows.
    QString ToolTipText(MapCellIndex cell) const;

    // The map as a picture of the widget's size, without the live cell and the trail.
    QImage Picture();

signals:
    // The user double-clicked a cell with samples: show the sample of its maximum.
    void SeekRequested(std::int64_t sample);
    // The user pressed on a cell of the map.
    void CellChosen(MapCellIndex cell);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    // Works out the scale, the places of the grid and legend, and whether numbers fit.
    void Relayout();
    // Draws the map, its axes and its legend into static_.
    void DrawStatic();
    int ColumnBoundary(int i) const;
    int RowBoundary(int j) const;  // j = 0 the bottom of the grid
    bool Shows(MapCellIndex cell) const;
    void UpdateCell(std::optional<MapCellIndex> cell);
    void Show(std::shared_ptr<const LogMap> map, std::shared_ptr<const MapComparison> comparison);
    // The difference of a compared cell; nullopt where it has none (or without a
    // comparison).
    std::optional<double> DifferenceOf(MapCellIndex cell) const;
    QString ComparisonToolTip(MapCellIndex cell) const;

    std::shared_ptr<const LogMap> map_;
    std::shared_ptr<const MapComparison> comparison_;
    QString logName_;
    QString referenceName_;
    MapStatistic statistic_ = MapStatistic::Max;
    std::int64_t minimumCount_ = 3;
    QString caption_;
    MapColourScale scale_;

    QRect grid_;    // the cells
    QRect legend_;  // the colour bar
    bool numbersShown_ = false;
    int numberPixelSize_ = 0;
    // A compared cell's three figures fit (else its difference alone is written).
    bool allFiguresShown_ = false;
    QImage static_;
    bool staticDirty_ = true;

    std::optional<MapCellIndex> live_;
    std::deque<MapCellIndex> trail_;
};

}  // namespace orvane
