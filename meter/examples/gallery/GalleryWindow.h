#pragma once

#include <QList>
#include <QTimer>
#include <QWidget>

class Meter;
class QComboBox;

// A window with gauges in their variants: thin and thick needles, zones, decimals,
// negative ranges, long and Japanese captions, system colours, tiny sizes.
class GalleryWindow : public QWidget {
    Q_OBJECT
public:
    explicit GalleryWindow(QWidget* parent = nullptr);

    // Stops the animation and puts every needle at a fixed place (for screenshots).
    void Freeze();

private:
    void Animate();
    void ShowProperties();
    QList<Meter*> SelectedGauges() const;

    QList<Meter*> gauges_;
    QComboBox* choice_ = nullptr;
    QTimer timer_;
    int tick_ = 0;
};
