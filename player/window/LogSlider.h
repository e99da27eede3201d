#pragma once

#include <QSlider>

namespace orvane {

// The position slider of the transport strip. It tells the window when the user
// chooses a record (Seek), and only then:
//  - releasing the thumb after a press or a drag seeks to where it stands, also when
//    that is the value it already had;
//  - a press in the groove first moves the thumb's centre under the pointer, then holds
//    the thumb like a press on it, so a click jumps there and a drag goes on from there;
//  - keys and the wheel seek at once;
//  - the program's own values (ShowValue) raise nothing, and leave a thumb the user
//    holds where the user holds it.
class LogSlider : public QSlider {
    Q_OBJECT

public:
    explicit LogSlider(QWidget* parent = nullptr);

    // Shows `value` as the program's position, without raising Seek; ignored while
    // the user holds the thumb.
    void ShowValue(int value);

    // Where the thumb stands now, in the slider's coordinates.
    QRect HandleRect() const;

signals:
    // The user chose the record `value()`.
    void Seek();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // The value whose thumb has its centre at `x` in the groove.
    int ValueAtCentre(int x) const;
};

}  // namespace orvane
