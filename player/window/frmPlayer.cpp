#include "window/frmPlayer.h"

#include <meter/ColourTranslation.h>
#include <meter/Meter.h>

#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTimer>

#include "graph/usrGraph.h"
#include "settings/FontSubstitutes.h"
#include "window/LogDropHandler.h"
#include "window/PlayerHost.h"
#include "window/PlayerShortcuts.h"
#include "window/ShapeLamp.h"
#include "window/TextBox.h"
#include "window/TransportIcons.h"

namespace orvane {
namespace {

// The design-time font of the slot labels, boxes and lamp labels.
const char* const kDesignFont = "ＭＳ Ｐゴシック";

QFont DesignFont(int pointSize, bool bold) {
    QFont font(QString::fromUtf8(kDesignFont));
    font.setPointSize(pointSize);
    font.setBold(bold);
    return font;
}

void SetColours(QWidget* widget, meter::Colour fore, meter::Colour back,
                QPalette::ColorRole foreRole, QPalette::ColorRole backRole) {
    QPalette palette = widget->palette();
    palette.setColor(foreRole, meter::ToQColor(fore, palette));
    palette.setColor(backRole, meter::ToQColor(back, palette));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

TextBox* MakeTextBox(QWidget* parent, const char* name, QRect geometry) {
    auto* box = new TextBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(geometry);
    return box;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, QRect geometry) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    return label;
}

}  // namespace

frmPlayer::frmPlayer(PlayerHost& host, QWidget* parent) : QWidget(parent), host_(host) {
    setObjectName(QStringLiteral("frmPlayer"));
    setWindowTitle(QString::fromLatin1(Title));
    // Windows font names in the settings draw with installed look-alikes.
    InstallFontSubstitutes();
    CreateControls();
    ConnectHandlers();
    // Keys and dropped files reach the same handlers as the buttons.
    new PlayerShortcuts(*this);
    new LogDropHandler(*this);
}

frmPlayer::~frmPlayer() = default;

void frmPlayer::CreateControls() {
    // The designed window: the layout moves and styles everything from the settings file.
    resize(465, 377 + 64);
    CreateSlotControls();
    CreateSwitchPanel();
    CreateTransportStrip();

    const struct {
        QPushButton** button;
        const char* name;
        const char* caption;
        QRect geometry;
    } buttons[] = {
        {&cmdOpen, "cmdOpen", "Open", {16, 8, 121, 33}},
        {&cmdPlay, "cmdPlay", "Play", {152, 8, 121, 33}},
        {&cmdOutput, "cmdOutput", "Output", {288, 8, 73, 33}},
        {&cmdClose, "cmdClose", "Quit", {376, 8, 65, 33}},
    };
    for (const auto& b : buttons) {
        *b.button = new QPushButton(QString::fromLatin1(b.caption), this);
        (*b.button)->setObjectName(QString::fromLatin1(b.name));
        (*b.button)->setGeometry(b.geometry);
    }
    cmdPlay->setEnabled(false);
    cmdOutput->setEnabled(false);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(50);
}

void frmPlayer::CreateSlotControls() {
    for (int n = 1; n <= DisplaySlotCount; ++n) {
        const int left = n % 2 == 0 ? 16 : 240;
        const int row = 64 * (n / 2);

        auto* label = MakeLabel(this, "lvlResult", QString(), {left, 54 + row, 201, 17});
        label->setProperty("index", n);
        label->setFont(DesignFont(12, true));
        SetColours(label, meter::Colour::System(meter::SystemColour::ButtonText),
                   meter::Colour::System(meter::SystemColour::ButtonFace), QPalette::WindowText,
                   QPalette::Window);
        lvlResult[n] = label;

        auto* box = MakeTextBox(this, "txtResult", {left, 74 + row, 201, 40});
        box->setProperty("index", n);
        box->setFont(DesignFont(36, false));
        SetColours(box, meter::Colour(255), meter::Colour(0), QPalette::Text, QPalette::Base);
        txtResult[n] = box;

        // Slots 10 to 15 are hidden until the layout shows them.
        label->setVisible(n < 10);
        box->setVisible(n < 10);

        auto* gauge = new Meter(this);
        gauge->setObjectName(QStringLiteral("mtrSensor"));
        gauge->setProperty("index", n);
        gauge->setGeometry(0, 0, 0, 0);
        gauge->hide();
        mtrSensor[n] = gauge;

        auto* graph = new orvane::usrGraph(this);
        graph->setObjectName(QStringLiteral("usrGraph"));
        graph->setProperty("index", n);
        graph->setGeometry(0, 0, 0, 0);
        graph->hide();
        usrGraph[n] = graph;
    }
}

void frmPlayer::CreateSwitchPanel() {
    picSwitch = new QFrame(this);
    picSwitch->setObjectName(QStringLiteral("picSwitch"));
    picSwitch->setFrameShape(QFrame::Panel);
    picSwitch->setFrameShadow(QFrame::Sunken);
    picSwitch->setGeometry(16, 416, 649, 40);

    lvlStatus = MakeLabel(picSwitch, "lvlStatus", QString(), {24, 0, 65, 17});
    lvlStatus->setFont(DesignFont(12, false));

    const struct {
        ShapeLamp** lamp;
        QLabel** label;
        const char* lampName;
        const char* labelName;
        const char* caption;
        QRect lampGeometry;
        QRect labelGeometry;
    } lamps[] = {
        {&shpIdle, &lblIdle, "shpIdle", "lblIdle", "IDL-SW", {0, 0, 15, 15}, {24, 0, 65, 17}},
        {&shpPowerST,
         &lblPowerST,
         "shpPowerST",
         "lblPowerST",
         "PWR-SW",
         {104, 0, 15, 15},
         {128, 0, 63, 17}},
        {&shpAC, &lblAC, "shpAC", "lblAC", "AC-SW", {0, 18, 15, 15}, {24, 18, 65, 17}},
        {&shpRelay,
         &lblRelay,
         "shpRelay",
         "lblRelay",
         "AC-RLY",
         {104, 18, 15, 15},
         {128, 18, 65, 17}},
        {&shpTDC, &lblTDC, "shpTDC", "lblTDC", "TDC", {0, 18, 15, 15}, {24, 18, 65, 17}},
    };
    for (const auto& l : lamps) {
        *l.lamp = new ShapeLamp(picSwitch);
        (*l.lamp)->setObjectName(QString::fromLatin1(l.lampName));
        (*l.lamp)->setGeometry(l.lampGeometry);
        *l.label =
            MakeLabel(picSwitch, l.labelName, QString::fromLatin1(l.caption), l.labelGeometry);
        (*l.label)->setFont(DesignFont(12, false));
    }
}

void frmPlayer::CreateTransportStrip() {
    fraLog = new QFrame(this);
    fraLog->setObjectName(QStringLiteral("fraLog"));
    fraLog->setGeometry(0, 377, 665, 64);
    fraLog->setAutoFillBackground(true);  // the strip covers what lies beneath it

    MakeLabel(fraLog, "lblSeq", QStringLiteral("No."), {0, 0, 25, 17});
    txtSeq = MakeTextBox(fraLog, "txtSeq", {24, 0, 65, 26});
    txtDate = MakeTextBox(fraLog, "txtDate", {96, 0, 73, 26});
    txtTime = MakeTextBox(fraLog, "txtTime", {176, 0, 65, 26});
    txtMs = MakeTextBox(fraLog, "txtMs", {248, 0, 33, 26});
    MakeLabel(fraLog, "lblMs", QStringLiteral("ms"), {288, 8, 25, 17});

    const struct {
        QPushButton** button;
        const char* name;
        TransportIcon icon;
        int left;
    } buttons[] = {
        {&cmdPlay2, "cmdPlay2", TransportIcon::Play, 320},
        {&cmdPause, "cmdPause", TransportIcon::Pause, 360},
        {&cmdStop, "cmdStop", TransportIcon::Stop, 400},
        {&cmdBack, "cmdBack", TransportIcon::Back, 448},
        {&cmdNext, "cmdNext", TransportIcon::Next, 488},
    };
    for (const auto& b : buttons) {
        *b.button = new QPushButton(fraLog);
        (*b.button)->setObjectName(QString::fromLatin1(b.name));
        (*b.button)->setGeometry(b.left, 0, 33, 26);
        (*b.button)->setIcon(MakeTransportIcon(b.icon));
        (*b.button)->setIconSize(QSize(16, 16));
    }

    MakeLabel(fraLog, "lblSpeed", QStringLiteral("Speed"), {536, 0, 49, 17});
    cboSpeed = new QComboBox(fraLog);
    cboSpeed->setObjectName(QStringLiteral("cboSpeed"));
    cboSpeed->setGeometry(592, 0, 57, 24);

    sldLog = new QSlider(Qt::Horizontal, fraLog);
    sldLog->setObjectName(QStringLiteral("sldLog"));
    sldLog->setGeometry(0, 40, 649, 17);
    sldLog->setRange(1, 1);
    sldLog->setEnabled(false);
    // A drag seeks once, where it ends; clicks and keys seek at once.
    sldLog->setTracking(false);
}

void frmPlayer::ConnectHandlers() {
    // Once the program has ended, events still queued in a pump run nothing.
    const auto on = [this](void (frmPlayer::*handler)()) {
        return [this, handler] {
            if (!ended_) (this->*handler)();
        };
    };
    connect(cmdOpen, &QPushButton::clicked, this, on(&frmPlayer::cmdOpen_Click));
    connect(cmdPlay, &QPushButton::clicked, this, on(&frmPlayer::cmdPlay_Click));
    connect(cmdOutput, &QPushButton::clicked, this, on(&frmPlayer::cmdOutput_Click));
    connect(cmdClose, &QPushButton::clicked, this, on(&frmPlayer::cmdClose_Click));
    connect(cmdPlay2, &QPushButton::clicked, this, on(&frmPlayer::cmdPlay2_Click));
    connect(cmdPause, &QPushButton::clicked, this, on(&frmPlayer::cmdPause_Click));
    connect(cmdStop, &QPushButton::clicked, this, on(&frmPlayer::cmdStop_Click));
    connect(cmdBack, &QPushButton::clicked, this, on(&frmPlayer::cmdBack_Click));
    connect(cmdNext, &QPushButton::clicked, this, on(&frmPlayer::cmdNext_Click));
    connect(cboSpeed, &QComboBox::activated, this, on(&frmPlayer::cboSpeed_Click));
    // The program sets the slider's value with its signals blocked, so this is the user.
    connect(sldLog, &QSlider::valueChanged, this, on(&frmPlayer::sldLog_Click));
    connect(Timer1, &QTimer::timeout, this, on(&frmPlayer::Timer1_Timer));
}

void frmPlayer::SetSliderValue(int value) {
    const QSignalBlocker blocker(sldLog);
    sldLog->setValue(value);
}

void frmPlayer::ShowError(const QString& text) {
    host_.ShowMessage(this, QString::fromLatin1(ErrorTitle), text);
}

bool frmPlayer::Timer1Enabled() const {
    return Timer1->isActive();
}

void frmPlayer::SetTimer1Enabled(bool enabled) {
    if (enabled == Timer1->isActive()) return;
    if (enabled) {
        Timer1->start();
    } else {
        Timer1->stop();
    }
}

void frmPlayer::closeEvent(QCloseEvent* event) {
    // The close box unloads the window like the Quit button; it cannot be refused.
    if (!ended_) Form_Unload();
    event->accept();
}

void frmPlayer::EndProgram(int status) {
    ended_ = true;
    Timer1->stop();
    hide();
    host_.EndProgram(status);
}

}  // namespace orvane
