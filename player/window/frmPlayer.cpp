#include "window/frmPlayer.h"

#include <meter/Meter.h>

#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "graph/usrGraph.h"
#include "layout/ApplyLayout.h"
#include "layout/FontSubstitutes.h"
#include "playback/PlaybackRules.h"
#include "views/ViewWindows.h"
#include "views/common/CommandKeys.h"
#include "views/common/PlayerHost.h"
#include "views/overview/OverviewStrip.h"
#include "window/ExportRunner.h"
#include "window/LogDropHandler.h"
#include "window/LogSlider.h"
#include "window/PlayerCommands.h"
#include "window/PlayerIcon.h"
#include "window/RepaintThrottle.h"
#include "window/ShapeLamp.h"
#include "window/TextBox.h"
#include "window/TransportStrip.h"

namespace orvane {
namespace {

// The interval of the playback timer: it only delays the start of the play loop.
constexpr int kTimer1Interval = 50;

template <typename Widget>
Widget* Named(Widget* widget, std::string_view name, int index = 0) {
    widget->setObjectName(QString::fromLatin1(name.data(), static_cast<int>(name.size())));
    if (index > 0) widget->setProperty("index", index);
    return widget;
}

}  // namespace

frmPlayer::frmPlayer(PlayerHost& host, QWidget* parent) : QWidget(parent), host_(host) {
    setObjectName(QStringLiteral("frmPlayer"));
    setWindowTitle(QString::fromLatin1(Title));
    setWindowIcon(PlayerIcon());
    // Windows font names in the settings draw with installed look-alikes.
    InstallFontSubstitutes();
    exports_ = std::make_unique<ExportRunner>(host_, *this, [this] { return ended_; });
    // Repaints wait for the next frame while the log plays at "Max".
    repaints_ = new RepaintThrottle(*this, [this] {
        return playLoopRunning_ && state_.SpeedFactor == MaxSpeedFactor && Timer1Enabled();
    });
    commands_ = new CommandSet(this);
    auto* keys = new CommandKeys(*commands_, this);
    keys->SetMainWindow(this);
    views_ = new ViewWindows(session_, host_, *keys, *this);
    CreateControls();
    ConnectHandlers();
    // Keys, menus and dropped files reach the same handlers as the buttons.
    new PlayerCommands(*this, *commands_, host_);
    new LogDropHandler(*this);
}

frmPlayer::~frmPlayer() = default;

// The window as designed: every element stands where the settings schema's defaults put
// it, so a start without a settings file looks exactly like this.
void frmPlayer::CreateControls() {
    for (int n = 1; n <= DisplaySlotCount; ++n) {
        lvlResult[n] = Named(new QLabel(this), "lvlResult", n);
        LayoutNameLabel(lvlResult[n], n, -1, LayoutSource::Design);
        txtResult[n] = Named(new TextBox(this), "txtResult", n);
        LayoutValueBox(txtResult[n], n, meter::Colour(0), LayoutSource::Design);
        mtrSensor[n] = Named(new Meter(this), "mtrSensor", n);
        LayoutGauge(mtrSensor[n], n, -1, LayoutSource::Design);
        usrGraph[n] = Named(new orvane::usrGraph(this), "usrGraph", n);
        LayoutGraph(usrGraph[n], n, -1, LayoutSource::Design);
    }

    picSwitch = Named(new QFrame(this), "picSwitch");
    picSwitch->setFrameShape(QFrame::Panel);
    picSwitch->setFrameShadow(QFrame::Sunken);
    lvlStatus = Named(new QLabel(picSwitch), "lvlStatus");
    LayoutSwitchPanel(picSwitch, lvlStatus, LayoutSource::Design);
    for (int i = 0; i < LampCount; ++i) {
        const LampDef& lamp = Lamps()[i];
        shpLamp[i] = Named(new ShapeLamp(picSwitch), lamp.ShapeName);
        lblLamp[i] = Named(new QLabel(picSwitch), lamp.LabelName);
        LayoutLamp(lamp, shpLamp[i], lblLamp[i], LayoutSource::Design);
    }

    fraLog = new TransportStrip(this, *this);

    // The four command buttons lie on the window itself, placed by their own sections.
    const struct {
        QPushButton** button;
        const char* name;
        const char* caption;
        SectionId section;
    } buttons[] = {
        {&cmdOpen, "cmdOpen", "Open", SectionId::LogStart},
        {&cmdPlay, "cmdPlay", "Play", SectionId::LogStop},
        {&cmdOutput, "cmdOutput", "Output", SectionId::LogConfig},
        {&cmdClose, "cmdClose", "Quit", SectionId::LogClose},
    };
    for (const auto& b : buttons) {
        *b.button = Named(new QPushButton(QString::fromLatin1(b.caption), this), b.name);
        PlaceButton(*b.button, b.section, /*design=*/true);
    }
    cmdPlay->setEnabled(false);
    cmdOutput->setEnabled(false);

    picOverview = new OverviewStrip(session_, *commands_, this);
    picOverview->setVisible(ReadOverviewSettings(LayoutSource::Design).Visible);
    picOverview->resize(picOverview->width(), ReadOverviewSettings(LayoutSource::Design).Height);

    const KeyDef& width = LayoutKey(SectionId::MainForm, Key::Width);
    const KeyDef& height = LayoutKey(SectionId::MainForm, Key::Height);
    FitToControls(static_cast<int>(width.defaultValue.number),
                  static_cast<int>(height.defaultValue.number));

    Timer1 = Named(new QTimer(this), "Timer1");
    Timer1->setInterval(kTimer1Interval);
}

void frmPlayer::FitToControls(int contentWidth, int contentHeight) {
    // The strip stands below every control and the window is at least as wide as the
    // strip, so that no setting can cut a control off or hide it under the strip. The
    // overview, when shown, lies below the strip across the whole window.
    int right = fraLog->x() + fraLog->width();
    int bottom = contentHeight;
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child == fraLog || child == picOverview || !child->isVisibleTo(this)) continue;
        const QRect place = child->geometry();
        right = std::max(right, place.x() + place.width());
        bottom = std::max(bottom, place.y() + place.height());
    }
    const int overviewHeight = picOverview->isHidden() ? 0 : picOverview->height();
    resize(std::max(contentWidth, right), bottom + fraLog->height() + overviewHeight);
    fraLog->move(fraLog->x(), bottom);
    picOverview->setGeometry(0, bottom + fraLog->height(), width(), overviewHeight);
}

void frmPlayer::resizeEvent(QResizeEvent* event) {
    // The overview spans the window; nothing else follows a change of the window's size.
    if (picOverview) picOverview->resize(width(), picOverview->height());
    QWidget::resizeEvent(event);
}

void frmPlayer::ConnectHandlers() {
    // Once the program has ended, events still queued in a pump run nothing; nor do
    // they while an export pumps events for its progress dialog.
    const auto on = [this](void (frmPlayer::*handler)()) {
        return [this, handler] {
            if (!ended_ && !Exporting()) (this->*handler)();
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
    // Only the user seeks: the program's own positions raise nothing.
    connect(sldLog, &LogSlider::Seek, this, on(&frmPlayer::sldLog_Click));
    connect(Timer1, &QTimer::timeout, this, on(&frmPlayer::Timer1_Timer));
    // A view asks to show a sample: a seek with the slider. Not while an export reads
    // the log: it pumps events, and a seek would move the read position it writes from.
    connect(&session_, &LogSession::SeekRequested, this, [this](std::int64_t sample) {
        if (!ended_ && !Exporting() && LogOpen()) SeekToSample(static_cast<std::int32_t>(sample));
    });
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

// A log is loaded and its file is open: what every command that reads the log needs.
bool frmPlayer::LogOpen() const {
    return state_.LogLoaded && state_.LogFileHandle.IsOpen();
}

bool frmPlayer::Exporting() const {
    return exports_->Running();
}

void frmPlayer::SetExportProgressDelay(std::chrono::milliseconds delay) {
    exports_->SetProgressDelay(delay);
}

void frmPlayer::SetRepaintThrottle(bool on) {
    repaints_->SetEnabled(on);
}

void frmPlayer::closeEvent(QCloseEvent* event) {
    // The close box unloads the window like the Quit button; it cannot be refused.
    // During an export the export is cancelled first and the window unloads after it.
    if (exports_->Running()) {
        exports_->QuitAfterwards();
        event->ignore();
        return;
    }
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
