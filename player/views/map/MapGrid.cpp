#include "views/map/MapGrid.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>
#include <cmath>

#include "analysis/ComputedItem.h"
#include "log/modOrvane.h"

namespace orvane {
namespace {

constexpr int kPad = 10;             // around the whole picture
constexpr int kTick = 4;             // tick marks on the axes
constexpr int kLegendGap = 22;       // between the grid and the colour bar
constexpr int kLegendBar = 16;       // width of the colour bar
constexpr int kLegendTicks = 5;      // labelled values on the colour bar
constexpr int kMinNumberPixels = 8;  // smaller numbers are left out

const QColor kBackground(255, 255, 255);
const QColor kText(30, 30, 30);
const QColor kGridLine(226, 226, 226);
const QColor kFrame(150, 150, 150);
const QColor kGreyed(208, 208, 208);
const QColor kGreyedText(110, 110, 110);

QString Number(double value) {
    return QString::fromLatin1(QByteArrayView(FormatValue(value)));
}

// One of a map's three items as the picture names it: a log item or a computed one.
struct ItemText {
    QString Name;
    QString Unit;
    bool Computed = false;
    std::int16_t Code = -1;  // of a log item
};

enum class MapItem { X, Y, Z };

ItemText ItemOf(const LogMap& map, MapItem which) {
    const MapRequest& request = map.Request();
    const std::string& computed = which == MapItem::X   ? request.XComputed
                                  : which == MapItem::Y ? request.YComputed
                                                        : request.ZComputed;
    ItemText item;
    if (!computed.empty()) {
        item.Name = QString::fromStdString(computed);
        item.Computed = true;
        for (const ComputedItemDefinition& definition : request.Computed) {
            if (definition.Name == computed) {
                item.Unit = QString::fromStdString(definition.Unit);
                break;
            }
        }
        return item;
    }
    const int slot = which == MapItem::X   ? request.XSlot
                     : which == MapItem::Y ? request.YSlot
                                           : request.ZSlot;
    item.Code = map.Outline().CodeOf(slot);
    item.Name = QString::fromLatin1(QByteArrayView(SensorName(item.Code)));
    if (item.Name.isEmpty()) item.Name = QStringLiteral("item %1").arg(item.Code);
    item.Unit = QString::fromLatin1(QByteArrayView(SensorUnit(item.Code)));
    return item;
}

// A value of the item: a computed item's with two decimals, as its value boxes show it.
QString ValueNumber(const ItemText& item, double value) {
    return item.Computed ? QString::fromStdString(ComputedItem::ValueText(value)) : Number(value);
}

// "Engine speed (rpm)", or the name alone for an item without a unit.
QString AxisTitle(const ItemText& item) {
    if (item.Unit.isEmpty()) return item.Name;
    return QStringLiteral("%1 (%2)").arg(item.Name, item.Unit);
}

// The labels of the boundaries of an axis's bins: the outer ones marked when their bin
// also holds the samples beyond the axis's range.
QStringList EdgeLabels(const MapAxis& axis, int bins, std::int64_t below, std::int64_t above) {
    QStringList labels;
    for (int i = 0; i <= bins; ++i) {
        if (i == 0) {
            labels << (below > 0 ? QStringLiteral("≤") : QString()) + Number(axis.Edge(0));
        } else if (i == bins) {
            labels << (above > 0 ? QStringLiteral("≥") : QString()) + Number(axis.Max);
        } else {
            labels << Number(axis.Edge(i));
        }
    }
    return labels;
}

// The values one bin of an axis holds, for the tooltip.
QString BinText(const MapAxis& axis, int bin, int bins, std::int64_t below, std::int64_t above,
                const ItemText& item) {
    const QString& unit = item.Unit;
    const double low = axis.Edge(bin);
    const double high = bin == bins - 1 ? axis.Max : axis.Edge(bin + 1);
    const bool open_low = bin == 0 && below > 0;
    const bool open_high = bin == bins - 1 && above > 0;
    QString text;
    if (open_low && open_high) {
        text = QStringLiteral("all values");
    } else if (open_low) {
        text = QStringLiteral("below %1%2").arg(Number(high), unit);
    } else if (open_high) {
        text = QStringLiteral("%1%2 and above").arg(Number(low), unit);
    } else {
        text = QStringLiteral("%1 to %2%3").arg(Number(low), Number(high), unit);
    }
    return item.Name + QStringLiteral(" ") + text;
}

// Which boundaries of `count` + 1 get a label when labels need `room` pixels and bins are
// `size` pixels: every k-th, and the last one, whose neighbour gives way to it.
std::vector<bool> LabelledBoundaries(int count, double size, int room) {
    std::vector<bool> shown(static_cast<std::size_t>(count) + 1, false);
    const int k = size > 0 ? std::max(1, static_cast<int>(std::ceil(room / size))) : count + 1;
    for (int i = 0; i <= count; i += k) shown[static_cast<std::size_t>(i)] = true;
    if (!shown[static_cast<std::size_t>(count)]) {
        shown[static_cast<std::size_t>(count)] = true;
        const int previous = count - count % k;
        if (count - previous < k && previous > 0) shown[static_cast<std::size_t>(previous)] = false;
    }
    return shown;
}

// The definition of a computed item a map names; null for none (or a log item).
const ComputedItemDefinition* DefinitionOf(const MapRequest& request, const std::string& name) {
    if (name.empty()) return nullptr;
    for (const ComputedItemDefinition& item : request.Computed) {
        if (item.Name == name) return &item;
    }
    return nullptr;
}

bool SameDefinition(const ComputedItemDefinition* a, const ComputedItemDefinition* b) {
    return a == b || (a && b && *a == *b);
}

// Whether two maps put the same items on the same axes (the cell of a sample is then
// the same on both): the same slots, the same computed items with the same formulas,
// the same bins.
bool SameAxes(const MapRequest& a, const MapRequest& b) {
    return a.XSlot == b.XSlot && a.YSlot == b.YSlot && a.XComputed == b.XComputed &&
           a.YComputed == b.YComputed &&
           SameDefinition(DefinitionOf(a, a.XComputed), DefinitionOf(b, b.XComputed)) &&
           SameDefinition(DefinitionOf(a, a.YComputed), DefinitionOf(b, b.YComputed)) &&
           a.X == b.X && a.Y == b.Y;
}

QString CountText(std::int64_t count) {
    return QString::number(count);
}

}  // namespace

MapGrid::MapGrid(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("picMap"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(360, 260);
    setFocusPolicy(Qt::ClickFocus);
}

MapGrid::~MapGrid() = default;

void MapGrid::SetMap(std::shared_ptr<const LogMap> map) {
    if (!map || !map_ || !SameAxes(map->Request(), map_->Request())) ClearLiveCell();
    map_ = std::move(map);
    Relayout();
    update();
}

void MapGrid::SetStatistic(MapStatistic statistic) {
    if (statistic == statistic_) return;
    statistic_ = statistic;
    Relayout();
    update();
}

void MapGrid::SetMinimumCount(std::int64_t count) {
    count = std::max<std::int64_t>(1, count);
    if (count == minimumCount_) return;
    minimumCount_ = count;
    Relayout();
    update();
}

void MapGrid::SetCaption(const QString& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    Relayout();
    update();
}

void MapGrid::SetLiveCell(std::optional<MapCellIndex> cell) {
    if (cell && !Shows(*cell)) cell.reset();
    if (!cell || cell == live_) return;
    LeaveLiveCell();
    std::erase(trail_, *cell);
    for (const MapCellIndex& behind : trail_) UpdateCell(behind);
    live_ = cell;
    UpdateCell(live_);
}

void MapGrid::LeaveLiveCell() {
    if (!live_) return;
    // The trail holds each cell once, the most recent first.
    std::erase(trail_, *live_);
    trail_.push_front(*live_);
    if (trail_.size() > TrailLength) {
        UpdateCell(trail_.back());
        trail_.pop_back();
    }
    for (const MapCellIndex& behind : trail_) UpdateCell(behind);
    UpdateCell(live_);
    live_.reset();
}

void MapGrid::ClearLiveCell() {
    if (!live_ && trail_.empty()) return;
    live_.reset();
    trail_.clear();
    update();
}

bool MapGrid::Shows(MapCellIndex cell) const {
    return map_ && cell.Column >= 0 && cell.Column < map_->Columns() && cell.Row >= 0 &&
           cell.Row < map_->Rows();
}

void MapGrid::UpdateCell(std::optional<MapCellIndex> cell) {
    if (cell && Shows(*cell)) update(CellRect(*cell).adjusted(-5, -5, 5, 5));
}

int MapGrid::ColumnBoundary(int i) const {
    const int columns = std::max(1, map_ ? map_->Columns() : 1);
    return grid_.left() + static_cast<int>(static_cast<std::int64_t>(i) * grid_.width() / columns);
}

int MapGrid::RowBoundary(int j) const {
    const int rows = std::max(1, map_ ? map_->Rows() : 1);
    return grid_.top() + grid_.height() -
           static_cast<int>(static_cast<std::int64_t>(j) * grid_.height() / rows);
}

QRect MapGrid::CellRect(MapCellIndex cell) const {
    if (!Shows(cell)) return {};
    return QRect(QPoint(ColumnBoundary(cell.Column), RowBoundary(cell.Row + 1)),
                 QPoint(ColumnBoundary(cell.Column + 1) - 1, RowBoundary(cell.Row) - 1));
}

std::optional<MapCellIndex> MapGrid::CellAt(QPoint point) const {
    if (!map_ || !grid_.contains(point)) return std::nullopt;
    const int columns = map_->Columns();
    const int rows = map_->Rows();
    int c = std::clamp(static_cast<int>(static_cast<std::int64_t>(point.x() - grid_.left()) *
                                        columns / std::max(1, grid_.width())),
                       0, columns - 1);
    while (c > 0 && point.x() < ColumnBoundary(c)) --c;
    while (c + 1 < columns && point.x() >= ColumnBoundary(c + 1)) ++c;
    int r = std::clamp(static_cast<int>(static_cast<std::int64_t>(grid_.bottom() - point.y()) *
                                        rows / std::max(1, grid_.height())),
                       0, rows - 1);
    while (r > 0 && point.y() >= RowBoundary(r)) --r;
    while (r + 1 < rows && point.y() < RowBoundary(r + 1)) ++r;
    return MapCellIndex{c, r};
}

MapGrid::CellLook MapGrid::LookOf(MapCellIndex cell) const {
    if (!Shows(cell)) return CellLook::Empty;
    const MapCell& figures = map_->Cell(cell.Column, cell.Row);
    if (figures.Count == 0) return CellLook::Empty;
    return figures.Count < minimumCount_ ? CellLook::Greyed : CellLook::Coloured;
}

QString MapGrid::CellText(MapCellIndex cell) const {
    if (LookOf(cell) == CellLook::Empty) return {};
    const MapCell& figures = map_->Cell(cell.Column, cell.Row);
    return statistic_ == MapStatistic::Count
               ? CountText(figures.Count)
               : ValueNumber(ItemOf(*map_, MapItem::Z), figures.Value(statistic_));
}

QColor MapGrid::CellColour(MapCellIndex cell) const {
    switch (LookOf(cell)) {
        case CellLook::Empty:
            return kBackground;
        case CellLook::Greyed:
            return kGreyed;
        case CellLook::Coloured:
            break;
    }
    return scale_.ColourOf(map_->Cell(cell.Column, cell.Row).Value(statistic_));
}

QStringList MapGrid::ColumnEdgeLabels() const {
    if (!map_) return {};
    return EdgeLabels(map_->Request().X, map_->Columns(), map_->XBelow(), map_->XAbove());
}

QStringList MapGrid::RowEdgeLabels() const {
    if (!map_) return {};
    return EdgeLabels(map_->Request().Y, map_->Rows(), map_->YBelow(), map_->YAbove());
}

QString MapGrid::ToolTipText(MapCellIndex cell) const {
    if (!Shows(cell)) return {};
    const MapRequest& request = map_->Request();
    const ItemText z = ItemOf(*map_, MapItem::Z);
    QStringList lines;
    lines << BinText(request.X, cell.Column, map_->Columns(), map_->XBelow(), map_->XAbove(),
                     ItemOf(*map_, MapItem::X));
    lines << BinText(request.Y, cell.Row, map_->Rows(), map_->YBelow(), map_->YAbove(),
                     ItemOf(*map_, MapItem::Y));
    const MapCell& figures = map_->Cell(cell.Column, cell.Row);
    if (figures.Count == 0) {
        lines << QStringLiteral("No sample");
        return lines.join(QLatin1Char('\n'));
    }
    QString count = figures.Count == 1 ? QStringLiteral("1 sample")
                                       : QStringLiteral("%1 samples").arg(figures.Count);
    if (figures.Count < minimumCount_) {
        count += QStringLiteral(" (fewer than %1: greyed)").arg(minimumCount_);
    }
    lines << count;
    lines << QStringLiteral("%1: min %2%5, mean %3%5, max %4%5")
                 .arg(z.Name, ValueNumber(z, figures.Min), ValueNumber(z, figures.Mean()),
                      ValueNumber(z, figures.Max), z.Unit);
    lines << QStringLiteral("First sample %1, maximum at sample %2")
                 .arg(figures.FirstSample)
                 .arg(figures.MaxSample);
    lines << QStringLiteral("Double-click to show that sample");
    return lines.join(QLatin1Char('\n'));
}

void MapGrid::Relayout() {
    staticDirty_ = true;
    grid_ = {};
    legend_ = {};
    numbersShown_ = false;
    scale_ = {};
    if (!map_) return;

    // The scale spans the values of the coloured cells (all cells with samples when
    // none has enough).
    const auto range = [this](bool enough) {
        std::optional<std::pair<double, double>> span;
        for (int r = 0; r < map_->Rows(); ++r) {
            for (int c = 0; c < map_->Columns(); ++c) {
                const MapCell& cell = map_->Cell(c, r);
                if (cell.Count == 0 || (enough && cell.Count < minimumCount_)) continue;
                const double v = cell.Value(statistic_);
                span = span ? std::pair(std::min(span->first, v), std::max(span->second, v))
                            : std::pair(v, v);
            }
        }
        return span;
    };
    auto span = range(true);
    if (!span) span = range(false);
    const ItemText z = ItemOf(*map_, MapItem::Z);
    if (span) scale_ = MapColourScale::For(z.Code, statistic_, span->first, span->second);

    const QFontMetrics fm(font());
    const int line = fm.height();
    int legendLabels = fm.horizontalAdvance(QStringLiteral("fewer than %1").arg(minimumCount_));
    for (int i = 0; i < kLegendTicks; ++i) {
        const double v = scale_.Low() + (scale_.High() - scale_.Low()) * i / (kLegendTicks - 1);
        legendLabels = std::max(legendLabels, fm.horizontalAdvance(LegendText(v)));
    }
    int rowLabels = 0;
    for (const QString& label : RowEdgeLabels()) {
        rowLabels = std::max(rowLabels, fm.horizontalAdvance(label));
    }
    int columnLabels = 0;
    for (const QString& label : ColumnEdgeLabels()) {
        columnLabels = std::max(columnLabels, fm.horizontalAdvance(label));
    }

    const int top = kPad + (caption_.isEmpty() ? 0 : line + 8) + line / 2;
    const int bottom = height() - kPad - line - 4 - line - kTick - 2;
    const int left = kPad + line + 8 + rowLabels + kTick + 4;
    const int legendWidth = kLegendBar + kTick + 4 + legendLabels;
    const int right = width() - kPad - legendWidth - std::max(kLegendGap, columnLabels / 2 + 6);
    if (right - left < 8 || bottom - top < 8) return;
    grid_ = QRect(QPoint(left, top), QPoint(right, bottom));
    legend_ = QRect(right + std::max(kLegendGap, columnLabels / 2 + 6), top, kLegendBar,
                    std::min(grid_.height(), std::max(120, grid_.height() * 2 / 3)));

    // Numbers go into the cells when the widest fits at a legible size.
    const double cellWidth = static_cast<double>(grid_.width()) / map_->Columns();
    const double cellHeight = static_cast<double>(grid_.height()) / map_->Rows();
    if (cellWidth < 14 || cellHeight < kMinNumberPixels + 2) return;
    QFont numbers = font();
    int size = std::min(13, static_cast<int>(cellHeight) - 4);
    if (size < kMinNumberPixels) return;
    numbers.setPixelSize(size);
    int widest = 0;
    const QFontMetrics nm(numbers);
    for (int r = 0; r < map_->Rows(); ++r) {
        for (int c = 0; c < map_->Columns(); ++c) {
            const QString text = CellText({c, r});
            if (!text.isEmpty()) widest = std::max(widest, nm.horizontalAdvance(text));
        }
    }
    const int room = static_cast<int>(cellWidth) - 4;
    if (widest > room) size = size * room / widest;
    if (size < kMinNumberPixels) return;
    numbersShown_ = true;
    numberPixelSize_ = size;
}

QString MapGrid::LegendText(double value) const {
    if (statistic_ == MapStatistic::Count) {
        return CountText(static_cast<std::int64_t>(std::llround(value)));
    }
    if (!map_) return Number(value);
    const ItemText z = ItemOf(*map_, MapItem::Z);
    return ValueNumber(z, value) + z.Unit;
}

void MapGrid::resizeEvent(QResizeEvent* event) {
    Relayout();
    QWidget::resizeEvent(event);
}

void MapGrid::DrawStatic() {
    staticDirty_ = false;
    static_ = QImage(size(), QImage::Format_ARGB32_Premultiplied);
    static_.fill(kBackground);
    QPainter p(&static_);
    p.setPen(kText);
    const QFontMetrics fm(font());
    const int line = fm.height();
    if (!caption_.isEmpty()) {
        QFont bold = font();
        bold.setBold(true);
        p.setFont(bold);
        p.drawText(QRect(kPad, kPad, width() - 2 * kPad, line + 4),
                   Qt::AlignLeft | Qt::AlignVCenter,
                   QFontMetrics(bold).elidedText(caption_, Qt::ElideRight, width() - 2 * kPad));
        p.setFont(font());
    }
    if (!map_ || grid_.isEmpty()) return;

    const int columns = map_->Columns();
    const int rows = map_->Rows();
    // The cells.
    QFont numbers = font();
    if (numbersShown_) numbers.setPixelSize(numberPixelSize_);
    p.setFont(numbers);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const MapCellIndex cell{c, r};
            const CellLook look = LookOf(cell);
            if (look == CellLook::Empty) continue;
            const QRect rect = CellRect(cell);
            const QColor fill = CellColour(cell);
            p.fillRect(rect, fill);
            if (!numbersShown_) continue;
            p.setPen(look == CellLook::Greyed ? kGreyedText : MapColourScale::TextColourOn(fill));
            p.drawText(rect, Qt::AlignCenter, CellText(cell));
        }
    }
    p.setFont(font());
    // The lines between the cells, over the colours, and the frame.
    if (grid_.width() / columns >= 4) {
        p.setPen(kGridLine);
        for (int c = 1; c < columns; ++c) {
            const int x = ColumnBoundary(c);
            p.drawLine(x, grid_.top(), x, grid_.bottom());
        }
    }
    if (grid_.height() / rows >= 4) {
        p.setPen(kGridLine);
        for (int r = 1; r < rows; ++r) {
            const int y = RowBoundary(r);
            p.drawLine(grid_.left(), y, grid_.right(), y);
        }
    }
    p.setPen(kFrame);
    p.drawRect(grid_.adjusted(-1, -1, 0, 0));

    // The horizontal axis: edges under their boundaries, the item under them.
    const QStringList columnLabels = ColumnEdgeLabels();
    int columnRoom = 0;
    for (const QString& label : columnLabels) {
        columnRoom = std::max(columnRoom, fm.horizontalAdvance(label));
    }
    const auto columnShown =
        LabelledBoundaries(columns, static_cast<double>(grid_.width()) / columns, columnRoom + 10);
    for (int i = 0; i <= columns; ++i) {
        if (!columnShown[static_cast<std::size_t>(i)]) continue;
        const int x = i == columns ? grid_.right() : ColumnBoundary(i);
        p.setPen(kFrame);
        p.drawLine(x, grid_.bottom() + 1, x, grid_.bottom() + kTick);
        p.setPen(kText);
        p.drawText(QRect(x - columnRoom, grid_.bottom() + kTick + 2, 2 * columnRoom, line),
                   Qt::AlignHCenter | Qt::AlignTop, columnLabels[i]);
    }
    p.drawText(QRect(grid_.left(), grid_.bottom() + kTick + 4 + line, grid_.width(), line),
               Qt::AlignHCenter | Qt::AlignTop, AxisTitle(ItemOf(*map_, MapItem::X)));

    // The vertical axis: edges beside their boundaries, increasing upwards, the item
    // turned along it.
    const QStringList rowLabels = RowEdgeLabels();
    const auto rowShown =
        LabelledBoundaries(rows, static_cast<double>(grid_.height()) / rows, line + 2);
    for (int j = 0; j <= rows; ++j) {
        if (!rowShown[static_cast<std::size_t>(j)]) continue;
        const int y = j == rows ? grid_.top() : RowBoundary(j);
        p.setPen(kFrame);
        p.drawLine(grid_.left() - kTick - 1, y, grid_.left() - 2, y);
        p.setPen(kText);
        p.drawText(QRect(kPad + line, y - line / 2, grid_.left() - kTick - 4 - kPad - line, line),
                   Qt::AlignRight | Qt::AlignVCenter, rowLabels[j]);
    }
    p.save();
    p.translate(kPad, grid_.center().y());
    p.rotate(-90);
    p.drawText(QRect(-grid_.height() / 2, 0, grid_.height(), line), Qt::AlignCenter,
               AxisTitle(ItemOf(*map_, MapItem::Y)));
    p.restore();

    // The legend: the scale's colours from its low end (bottom) to its high end, with
    // their values, and the grey of the cells with too few samples.
    if (legend_.isEmpty() || !(scale_.High() >= scale_.Low())) return;
    const bool flat = !(scale_.High() > scale_.Low());
    for (int y = legend_.top(); y <= legend_.bottom(); ++y) {
        const double fraction =
            flat ? 0
                 : 1.0 - static_cast<double>(y - legend_.top()) / std::max(1, legend_.height() - 1);
        p.setPen(scale_.ColourAt(fraction));
        p.drawLine(legend_.left(), y, legend_.right(), y);
    }
    p.setPen(kFrame);
    p.drawRect(legend_.adjusted(-1, -1, 0, 0));
    const int ticks = flat ? 1 : kLegendTicks;
    for (int i = 0; i < ticks; ++i) {
        const double fraction = ticks == 1 ? 0 : static_cast<double>(i) / (ticks - 1);
        const double v = scale_.Low() + (scale_.High() - scale_.Low()) * fraction;
        const int y =
            legend_.bottom() - static_cast<int>(std::lround(fraction * (legend_.height() - 1)));
        p.setPen(kFrame);
        p.drawLine(legend_.right() + 1, y, legend_.right() + kTick, y);
        p.setPen(kText);
        p.drawText(QRect(legend_.right() + kTick + 4, y - line / 2, width(), line),
                   Qt::AlignLeft | Qt::AlignVCenter, LegendText(v));
    }
    if (minimumCount_ > 1) {
        const QRect swatch(legend_.left(), legend_.bottom() + line, kLegendBar, line);
        p.fillRect(swatch, kGreyed);
        p.setPen(kFrame);
        p.drawRect(swatch.adjusted(-1, -1, 0, 0));
        p.setPen(kText);
        p.drawText(QRect(swatch.right() + kTick + 4, swatch.top() - line / 2, width(), line),
                   Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("fewer than"));
        p.drawText(QRect(swatch.right() + kTick + 4, swatch.top() + line / 2, width(), line),
                   Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("%1 samples").arg(minimumCount_));
    }
}

QImage MapGrid::Picture() {
    if (staticDirty_ || static_.size() != size()) DrawStatic();
    return static_;
}

void MapGrid::paintEvent(QPaintEvent* event) {
    if (staticDirty_ || static_.size() != size()) DrawStatic();
    QPainter p(this);
    p.drawImage(event->rect(), static_, event->rect());
    if (!map_) return;
    // The trail, fading with age, under the live cell: a white ring inside each cell,
    // edged in black so that it shows on light and dark colours alike.
    p.setBrush(Qt::NoBrush);
    for (std::size_t i = trail_.size(); i-- > 0;) {
        const int alpha = 230 - static_cast<int>(i) * 170 / TrailLength;
        const QRect rect = CellRect(trail_[i]);
        p.setPen(
            QPen(QColor(0, 0, 0, alpha * 2 / 3), 4, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        p.drawRect(rect.adjusted(2, 2, -2, -2));
        p.setPen(
            QPen(QColor(255, 255, 255, alpha), 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        p.drawRect(rect.adjusted(2, 2, -2, -2));
    }
    if (live_) {
        const QRect rect = CellRect(*live_);
        p.setPen(QPen(Qt::black, 6, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        p.drawRect(rect.adjusted(0, 0, -1, -1));
        p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        p.drawRect(rect.adjusted(0, 0, -1, -1));
    }
}

void MapGrid::mousePressEvent(QMouseEvent* event) {
    QWidget::mousePressEvent(event);
    if (event->button() != Qt::LeftButton) return;
    // A tooltip shown on the press would close again with the release: the figures go
    // where they stay, and hovering shows them too.
    const auto cell = CellAt(event->position().toPoint());
    if (cell && Shows(*cell)) emit CellChosen(*cell);
}

bool MapGrid::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const auto cell = CellAt(help->pos());
        const QString text = cell ? ToolTipText(*cell) : QString();
        if (text.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(help->globalPos(), text, this, CellRect(*cell));
        }
        return true;
    }
    return QWidget::event(event);
}

void MapGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const auto cell = CellAt(event->position().toPoint());
    if (!cell || LookOf(*cell) == CellLook::Empty) return;
    emit SeekRequested(map_->Cell(cell->Column, cell->Row).MaxSample);
}

}  // namespace orvane
