#pragma once

#include <QFrame>

class QComboBox;
class QPushButton;

namespace orvane {

class LogSlider;
class TextBox;

// The controls of the transport strip. The main window holds them as its own (it
// derives from this), and TransportStrip creates them.
struct TransportControls {
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

// The control strip at the bottom of the main window: the number, date, time and
// milliseconds of the sample on display, the five transport buttons, the speed list and
// the position slider. Its controls keep fixed places inside the strip; the settings
// file does not move them (it only decides the window's height, and the strip sits at
// the bottom of it).
class TransportStrip : public QFrame {
    Q_OBJECT

public:
    // Creates the strip's controls as children of the strip and hands them out in
    // `controls`.
    TransportStrip(QWidget* parent, TransportControls& controls);
};

}  // namespace orvane
