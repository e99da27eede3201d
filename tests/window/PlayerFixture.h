#pragma once

// A real player window, offscreen, on a fake desktop, with logs written for the test.

#include <gtest/gtest.h>
#include <meter/Meter.h>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest/QTest>
#include <memory>

#include "FakePlayerHost.h"
#include "LogBuilder.h"
#include "TempDir.h"
#include "graph/usrGraph.h"
#include "session/LogSession.h"
#include "settings/modCommon.h"
#include "views/ViewWindows.h"
#include "views/common/CommandSet.h"
#include "views/map/MapWindow.h"
#include "views/overview/OverviewStrip.h"
#include "views/statistics/StatisticsWindow.h"
#include "window/LogSlider.h"
#include "window/ShapeLamp.h"
#include "window/TextBox.h"
#include "window/TransportStrip.h"
#include "window/frmPlayer.h"

namespace orvane::testing {

class PlayerFixture : public ::testing::Test {
protected:
    void SetUp() override {
        // Every test has a settings file of its own (missing until a test writes it).
        SetSettingsFilePath(IniPath());
        ForgetCachedSettings();
        window = std::make_unique<frmPlayer>(host);
        window->FillSpeedList();
    }
    void TearDown() override {
        window.reset();
        SetSettingsFilePath("");
        ForgetCachedSettings();
    }

    std::string IniPath() const { return dir.File("Orvane.ini"); }
    void WriteIni(const std::string& text) {
        WriteBytes(IniPath(), std::vector<unsigned char>(text.begin(), text.end()));
        ForgetCachedSettings();
    }

    // Writes a log and opens it as the open dialog would.
    std::string Open(const LogBuilder& builder, const std::string& name = "orvn0001.bin") {
        const std::string path = dir.File(name);
        WriteBytes(path, builder.Bytes());
        window->CloseLog();
        window->State().LogFileName = path;
        window->OpenLog(path);
        return path;
    }

    // Selects a speed as the user does.
    void Speed(const QString& text) {
        window->cboSpeed->setCurrentIndex(window->cboSpeed->findText(text));
        window->cboSpeed_Click();
    }

    // Plays from the current state: the timer's tick runs the play loop to its end.
    void RunPlayLoop() {
        ASSERT_TRUE(window->Timer1Enabled());
        window->Timer1_Timer();
    }

    // Runs `command` inside the first pump of the wait for record `pending`, like a click
    // that arrives while that record waits.
    void WhilePending(std::int32_t pending, std::function<void()> command) {
        host.onPump = [this, pending, command] {
            if (host.pumpInWait && State().PlayPosition == pending) {
                command();
            } else {
                WhilePending(pending, command);
            }
        };
    }

    // Runs `command` in the pump that follows sample `shown` when that sample was played
    // without a wait.
    void AfterSample(std::int32_t shown, std::function<void()> command) {
        host.onPump = [this, shown, command] {
            if (!host.pumpInWait && State().PlayPosition == shown + 1) {
                command();
            } else {
                AfterSample(shown, command);
            }
        };
    }

    QString Seq() const { return window->txtSeq->text(); }
    ShapeLamp* Lamp(SwitchKind kind) const {
        for (int i = 0; i < LampCount; ++i) {
            if (Lamps()[i].Switch == kind) return window->shpLamp[i];
        }
        return nullptr;
    }
    QLabel* LampLabel(SwitchKind kind) const {
        for (int i = 0; i < LampCount; ++i) {
            if (Lamps()[i].Switch == kind) return window->lblLamp[i];
        }
        return nullptr;
    }
    // Runs a command as its key or menu would.
    void Run(Command command) { window->Commands().Trigger(command); }
    // Lets the background work under way deliver what it found (the statistics, a map,
    // an alarm search, the overview's summary).
    void WaitForJobs() {
        ASSERT_TRUE(
            QTest::qWaitFor([this] { return !window || !window->Session().Jobs().Busy(); }, 30000));
    }
    PlayerState& State() { return window->State(); }

    // Shows a graph on slot n with a scale and a plot area.
    usrGraph* ShowGraph(int n, double min, double max, QSize size = {40, 101}) {
        usrGraph* graph = window->usrGraph[n];
        graph->setGeometry(QRect(QPoint(0, 0), size));
        graph->show();
        graph->SetBackColor(meter::Colour(0));
        graph->SetForeColor(meter::Colour(65280));
        graph->SetMinValue(min);
        graph->SetMaxValue(max);
        return graph;
    }

    Meter* ShowGauge(int n, double min, double max) {
        Meter* gauge = window->mtrSensor[n];
        gauge->setGeometry(0, 0, 200, 100);
        gauge->show();
        gauge->SetMaxValue(max);
        gauge->SetMinValue(min);
        return gauge;
    }

    TempDir dir;
    FakePlayerHost host;
    std::unique_ptr<frmPlayer> window;
};

// Records 1, 2, 3... whose counters are `gap` apart and whose slot bytes carry the
// record number.
inline LogBuilder Spaced(int count, int gap, std::initializer_list<std::int16_t> codes = {22}) {
    LogBuilder builder;
    builder.Slots(codes).Start(DateTime::FromCivil(2026, 12, 5, 10));
    for (int i = 0; i < count; ++i) {
        const auto b = static_cast<std::uint8_t>(i + 1);
        builder.Record(i * gap, {b, b, b, b, b, b, b, b, b, b, b, b, b, b, b, b, b, b});
    }
    return builder;
}

}  // namespace orvane::testing
