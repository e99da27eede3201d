#pragma once

#include <QFrame>

class QComboBox;
class QPushButton;

namespace orvane {

class LogSlider;
class TextBox;

// The control strip at the bottom of the main window: the number, date, time and
// milliseconds of the sample on display, the five transport buttons, the speed list and
// the position slider. Its controls keep fixed places inside the strip; the settings
// file does not move them (it only decides the window's height, and the strip sits at
// the bottom of it).
class TransportStrip : public QFrame {
    Q_OBJECT

public:
    explicit TransportStrip(QWidget* parent);

    TextBox* txtSeq = nullptr;
    TextBox* txtDate = nullptr;
    TextBox* txtTime = nullptr;
    TextBox* txtMs = nullptr;
    QPushButton* cmdPlay2 = nullptr;  // resume
    QPushButton* cmdPause = nullptr;
    QPushButton* cmdStop = nullptr;
    QPushButton* cmdBack = nullptr;
    QPushButton* cmdNext = nullptr;
    QComboBox* cboSpeed = nullptr;
    LogSlider* sldLog = nullptr;
};

}  // namespace orvane
