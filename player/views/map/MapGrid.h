#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>

#include "analysis/LogMap.h"
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
    // The number drawn in the cell (empty for a cell without samples).
    QString CellText(MapCellIndex cell) const;
    QColor CellColour(MapCellIndex cell) const;
    // The labels at the bin boundaries: the first at the lower end of the first bin, the
    // last at the upper end of the last bin.
    QStringList ColumnEdgeLabels() const;
    QStringList RowEdgeLabels() const;
    const MapColourScale& Scale() const { return scale_; }
    // A value on the colour scale's legend: with the cell item's unit (a count without).
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

    std::shared_ptr<const LogMap> map_;
    MapStatistic statistic_ = MapStatistic::Max;
    std::int64_t minimumCount_ = 3;
    QString caption_;
    MapColourScale scale_;

    QRect grid_;    // the cells
    QRect legend_;  // the colour bar
    bool numbersShown_ = false;
    int numberPixelSize_ = 0;
    QImage static_;
    bool staticDirty_ = true;

    std::optional<MapCellIndex> live_;
    std::deque<MapCellIndex> trail_;
};

}  // namespace orvane
