#include "window/TransportStrip.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "window/LogSlider.h"
#include "window/TextBox.h"
#include "window/TransportIcons.h"

namespace orvane {
namespace {

// The strip's size, and where its controls stand inside it.
constexpr QSize kStripSize(665, 64);
constexpr int kButtonTop = 0;
constexpr QSize kButtonSize(33, 26);
constexpr QSize kIconSize(16, 16);

template <typename Widget>
Widget* Place(Widget* widget, const char* name, QRect geometry) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(geometry);
    return widget;
}

}  // namespace

TransportStrip::TransportStrip(QWidget* parent, TransportControls& c) : QFrame(parent) {
    setObjectName(QStringLiteral("fraLog"));
    resize(kStripSize);
    setAutoFillBackground(true);  // the strip covers what lies beneath it

    Place(new QLabel(QStringLiteral("No."), this), "lblSeq", {0, 0, 25, 17});
    c.txtSeq = Place(new TextBox(this), "txtSeq", {24, 0, 65, 26});
    c.txtDate = Place(new TextBox(this), "txtDate", {96, 0, 73, 26});
    c.txtTime = Place(new TextBox(this), "txtTime", {176, 0, 65, 26});
    c.txtMs = Place(new TextBox(this), "txtMs", {248, 0, 33, 26});
    Place(new QLabel(QStringLiteral("ms"), this), "lblMs", {288, 8, 25, 17});

    const struct {
        QPushButton** button;
        const char* name;
        TransportIcon icon;
        int left;
    } buttons[] = {
        {&c.cmdPlay2, "cmdPlay2", TransportIcon::Play, 320},
        {&c.cmdPause, "cmdPause", TransportIcon::Pause, 360},
        {&c.cmdStop, "cmdStop", TransportIcon::Stop, 400},
        {&c.cmdBack, "cmdBack", TransportIcon::Back, 448},
        {&c.cmdNext, "cmdNext", TransportIcon::Next, 488},
    };
    for (const auto& b : buttons) {
        *b.button = Place(new QPushButton(this), b.name, {QPoint(b.left, kButtonTop), kButtonSize});
        (*b.button)->setIcon(MakeTransportIcon(b.icon));
        (*b.button)->setIconSize(kIconSize);
    }

    Place(new QLabel(QStringLiteral("Speed"), this), "lblSpeed", {536, 0, 49, 17});
    c.cboSpeed = Place(new QComboBox(this), "cboSpeed", {592, 0, 57, 24});

    c.sldLog = Place(new LogSlider(this), "sldLog", {0, 40, 649, 17});
    c.sldLog->setRange(1, 1);
    c.sldLog->setEnabled(false);
}

}  // namespace orvane
