// Uses the installed gauge library as any other program would.
#include <meter/ColourTranslation.h>
#include <meter/LibraryInfo.h>
#include <meter/Meter.h>

#include <QApplication>
#include <QImage>

#include <cstdio>

namespace {
int Fail(const char* what) {
    std::fprintf(stderr, "meter_consumer: %s\n", what);
    return 1;
}
}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    if (meter::LoadedLibraryVersion() != EXPECTED_VERSION) return Fail("wrong library version");
    if (meter::LoadedLibraryVersion() != METER_VERSION_TEXT)
        return Fail("the headers are of another version than the library");

    Meter gauge;
    gauge.SetBorderStyle(0);
    gauge.SetBackColor(meter::Colour::Rgb(255, 255, 255));
    QFont huge = gauge.NumberFont();  // too big for scale numbers: the dial fills the gauge
    huge.setPointSize(60);
    gauge.SetNumberFont(huge);
    gauge.SetMinValue(-50);
    gauge.SetMaxRedZone(100);
    try {
        gauge.SetMaxValue(-60);
        return Fail("MaxValue below MinValue was accepted");
    } catch (const meter::PropertyError& error) {
        if (error.Number() != 380 || error.Code() != 0x800A017Cu) return Fail("wrong error");
    }
    gauge.setProperty("DecmalLength", 9);
    if (gauge.DecmalLength() != 0) return Fail("setProperty wrote DecmalLength 9");
    if (!gauge.LastError()) return Fail("no LastError after a refused write");

    gauge.resize(200, 100);
    const QImage image = gauge.grab().toImage();
    // Mid-ring at the top of the dial lies in the red band.
    if (image.pixelColor(100, 14) != QColor(255, 0, 0)) return Fail("no red band at the top");
    std::puts("meter_consumer: ok");
    return 0;
}
