#pragma once

#include <QImage>
#include <QString>
#include <QVariant>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <optional>

#include "meter/Colour.h"

class QLabel;

namespace orvane {

// The player's scrolling line graph (strip chart), one per display slot.
//
// Each AddPoint moves the picture one pixel to the left and draws the new value at the
// right edge, joined to the previous one, with up to two horizontal threshold lines.
// The plot lives in an off-screen surface whose pixels are the only history; the
// visible Picture1 repaints from it. Two small labels over the plot show the ends of
// the scale: txtMax at the top left, txtMin at the bottom left.
//
// Sizes are read anew at every call: W and H are the current width and height of the
// plot (the whole control), while the surface keeps the size it had at Init until
// writing BackColor rebuilds it.
//
// On a screen whose device pixel ratio is not 1 the surface holds the device pixels the
// plot covers and the graph draws on them directly, so that the plot fills the whole
// control and every line has one width: one-pixel lines are the ratio rounded wide, and
// each point moves the picture by the ratio on average (see PlotGrid). At ratio 1 the
// device pixels are the plot's pixels.
//
// Errors are thrown as orvane::RuntimeError: division by zero (11) when the scale has no
// span, overflow (6) for a row outside the 16-bit range, type mismatch (13) for a value
// that is not a number. Before Init, AddPoint, BackMove and Paint do nothing at all.
class usrGraph : public QWidget {
    Q_OBJECT

public:
    explicit usrGraph(QWidget* parent = nullptr);
    ~usrGraph() override;

    // Plain values without side effects; the threshold lines take new values from the
    // next AddPoint on. Empty or 0 means no threshold line. Offset is kept for the owner
    // and not read by the graph.
    std::optional<double> Threshold1;
    std::optional<double> Threshold2;
    QVariant Offset;

    // Ends of the scale, empty until set; in the arithmetic an empty end counts as 0.
    // Writing one sets its label's text (the value followed by one space) and size.
    std::optional<double> MinValue() const;
    void SetMinValue(std::optional<double> value);
    std::optional<double> MaxValue() const;
    void SetMaxValue(std::optional<double> value);

    // Writing BackColor erases the picture and rebuilds the surface and the pens from it,
    // so the graph is initialized afterwards in every case.
    meter::Colour BackColor() const;
    void SetBackColor(meter::Colour value);
    meter::Colour ForeColor() const;
    void SetForeColor(meter::Colour value);
    meter::Colour ThresholdColor1() const;
    void SetThresholdColor1(meter::Colour value);
    meter::Colour ThresholdColor2() const;
    void SetThresholdColor2(meter::Colour value);

    // Pen widths: a value of 1 or less is stored as 0, the one-pixel pen. A value above
    // 32767 does not fit the stored width and raises overflow (6).
    std::int16_t LineWidth() const;
    void SetLineWidth(std::int32_t value);
    std::int16_t ThresholdLineWidth() const;
    void SetThresholdLineWidth(std::int32_t value);

    // Text colour of both labels.
    meter::Colour FontColor() const;
    void SetFontColor(meter::Colour value);
    // Font of the plot and both labels; the labels are resized to their text.
    QString FontName() const;
    void SetFontName(const QString& value);
    std::int16_t FontSize() const;
    void SetFontSize(std::int16_t value);
    bool FontBold() const;
    void SetFontBold(bool value);
    bool FontItalic() const;
    void SetFontItalic(bool value);
    // Visibility of both labels; the plot is not affected.
    bool TextVisible() const;
    void SetTextVisible(bool value);

    // Builds the surface (from the picture as it shows now: its background) and the
    // pens; does nothing when already initialized.
    void Init();
    // Scrolls left one pixel and draws the threshold marks and the segment from the last
    // point to this one at the right edge, then shows the plot.
    void AddPoint(double value);
    // The same for a variant value: empty counts as 0, numbers are plotted, anything
    // else raises type mismatch (13) before the plot changes.
    void AddPoint(const QVariant& value);
    // Scrolls right one pixel and blanks the left column; the last point's row stays.
    void BackMove();
    // Shows the surface in the picture again.
    void Paint();
    // Fills the picture and the surface with the background colour; the last point's
    // row stays, so the next segment starts from it.
    void Clear();

    bool Initialized() const;
    // The constituent controls.
    QWidget* Picture1() const;
    QLabel* txtMax() const;
    QLabel* txtMin() const;
    // A copy of the off-screen surface in plot order (device pixels); a null image before
    // Init.
    QImage PlotImage() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Private;
    std::unique_ptr<Private> d_;
};

}  // namespace orvane
