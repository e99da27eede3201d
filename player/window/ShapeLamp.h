#pragma once

#include <QWidget>

namespace orvane {

// A switch lamp: a small circle with a black outline, filled green while the switch is
// on and left empty (only the outline shows) while it is off.
class ShapeLamp : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool On READ On WRITE SetOn)

public:
    explicit ShapeLamp(QWidget* parent = nullptr);

    bool On() const { return on_; }
    void SetOn(bool on);

    // The fill colour while on: RGB 0, 255, 0.
    static QColor FillColor() { return QColor(0, 255, 0); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool on_ = false;
};

}  // namespace orvane
