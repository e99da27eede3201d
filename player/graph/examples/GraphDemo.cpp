// A small window with three strip charts fed by a generated signal: an engine-speed
// like wave with two threshold lines, a slow temperature drift, and a noisy voltage
// drawn with a wider pen.
//
//   Left or B   step back one point on every graph (BackMove)
//   C           clear every graph
//   Space       pause or resume
//
// With --screenshot FILE the program feeds a fixed number of points, writes the window
// as a PNG file and exits.
#include <QApplication>
#include <QCommandLineParser>
#include <QKeyEvent>
#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <array>
#include <cmath>
#include <cstdio>

#include "graph/usrGraph.h"

namespace {

constexpr int kGraphWidth = 649;
constexpr int kGraphHeight = 120;

struct Channel {
    double min;
    double max;
    double (*signal)(int step);
};

double EngineSpeed(int step) {
    const double t = step;
    return 3800.0 + 2600.0 * std::sin(t / 45.0) + 900.0 * std::sin(t / 7.0) +
           250.0 * std::sin(t / 2.3);
}

double CoolantTemperature(int step) {
    return 82.0 + 9.0 * std::sin(step / 110.0);
}

double BatteryVoltage(int step) {
    return 13.6 + 0.5 * std::sin(step / 13.0) + 0.25 * std::sin(step / 2.1) +
           0.1 * std::sin(step * 1.3);
}

class DemoWindow final : public QWidget {
public:
    DemoWindow() {
        setWindowTitle(QStringLiteral("usrGraph demo"));
        setFixedSize(kGraphWidth + 32, 3 * (kGraphHeight + 16) + 40);
        QPalette palette = this->palette();
        palette.setColor(QPalette::Window, QColor(32, 32, 32));
        palette.setColor(QPalette::WindowText, QColor(220, 220, 220));
        setPalette(palette);

        for (int i = 0; i < 3; ++i) {
            auto* graph = new orvane::usrGraph(this);
            graph->setGeometry(16, 16 + i * (kGraphHeight + 16), kGraphWidth, kGraphHeight);
            graphs_[i] = graph;
        }
        // Set in the order the player's layout uses.
        orvane::usrGraph& speed = *graphs_[0];
        speed.SetBackColor(meter::Colour::Rgb(0, 0, 0));
        speed.SetForeColor(meter::Colour::Rgb(0, 255, 0));
        speed.SetMinValue(0);
        speed.SetMaxValue(8000);
        speed.Threshold1 = 6000;
        speed.Threshold2 = 7000;

        orvane::usrGraph& coolant = *graphs_[1];
        coolant.SetBackColor(meter::Colour::Rgb(0, 0, 64));
        coolant.SetForeColor(meter::Colour::Rgb(255, 160, 0));
        coolant.SetMinValue(40);
        coolant.SetMaxValue(120);
        coolant.Threshold1 = 95;

        orvane::usrGraph& battery = *graphs_[2];
        battery.SetBackColor(meter::Colour::Rgb(24, 24, 24));
        battery.SetForeColor(meter::Colour::Rgb(80, 200, 255));
        battery.SetMinValue(10);
        battery.SetMaxValue(16);
        battery.SetLineWidth(2);
        battery.Threshold2 = 14.5;

        for (orvane::usrGraph* graph : graphs_) {
            graph->SetFontColor(meter::Colour::Rgb(255, 255, 255));
            graph->SetFontName(QStringLiteral("DejaVu Sans"));
            graph->SetFontSize(9);
            graph->SetTextVisible(true);
        }
        speed.SetThresholdLineWidth(2);

        auto* help =
            new QLabel(QStringLiteral("Left / B: step back    C: clear    Space: pause"), this);
        help->setGeometry(16, height() - 32, kGraphWidth, 24);

        connect(&timer_, &QTimer::timeout, this, [this] { Step(); });
        timer_.start(20);
    }

    void Step() {
        for (std::size_t i = 0; i < graphs_.size(); ++i) {
            graphs_[i]->AddPoint(channels_[i].signal(step_));
        }
        ++step_;
    }

    void BackMoveAll() {
        for (orvane::usrGraph* graph : graphs_) graph->BackMove();
    }

    void StopTimer() { timer_.stop(); }

protected:
    void keyPressEvent(QKeyEvent* event) override {
        switch (event->key()) {
            case Qt::Key_Left:
            case Qt::Key_B:
                BackMoveAll();
                break;
            case Qt::Key_C:
                for (orvane::usrGraph* graph : graphs_) graph->Clear();
                break;
            case Qt::Key_Space:
                if (timer_.isActive()) {
                    timer_.stop();
                } else {
                    timer_.start();
                }
                break;
            default:
                QWidget::keyPressEvent(event);
        }
    }

private:
    std::array<orvane::usrGraph*, 3> graphs_{};
    std::array<Channel, 3> channels_{{
        {0, 8000, EngineSpeed},
        {40, 120, CoolantTemperature},
        {10, 16, BatteryVoltage},
    }};
    QTimer timer_;
    int step_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Strip-chart demo"));
    parser.addHelpOption();
    const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                        QStringLiteral("Write the window to FILE (PNG) and exit."),
                                        QStringLiteral("FILE"));
    parser.addOption(screenshot);
    parser.process(app);

    DemoWindow window;
    window.show();
    if (!parser.isSet(screenshot)) return app.exec();

    window.StopTimer();
    // More points than the graphs are wide, then a few steps back to show the blank
    // columns BackMove leaves at the left edge.
    for (int i = 0; i < kGraphWidth + 200; ++i) window.Step();
    for (int i = 0; i < 8; ++i) window.BackMoveAll();
    QApplication::processEvents();
    const QString file = parser.value(screenshot);
    if (!window.grab().save(file, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        return 1;
    }
    return 0;
}
