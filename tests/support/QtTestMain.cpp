// Shared main of the widget test programs: pins the offscreen platform at 96 dpi and
// device pixel ratio 1 before the application object exists, so that pixel positions
// and text metrics do not depend on the machine running the tests. Built with
// ORVANE_TEST_SCALED, it keeps the scale factor the test's environment sets
// (QT_SCALE_FACTOR, 1.5 when unset), for the tests of other device pixel ratios.
#include <gtest/gtest.h>
#include <QApplication>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
#ifdef ORVANE_TEST_SCALED
    if (qEnvironmentVariableIsEmpty("QT_SCALE_FACTOR")) qputenv("QT_SCALE_FACTOR", "1.5");
#else
    qputenv("QT_SCALE_FACTOR", "1");
#endif
    qputenv("QT_FONT_DPI", "96");
    QApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
