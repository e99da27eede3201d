// meter-gallery: shows the gauge's variants; with --screenshot FILE it writes a
// picture of the window and exits.
#include "GalleryWindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QPixmap>

#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("meter-gallery"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("The meter gauge library's gallery"));
    parser.addHelpOption();
    const QCommandLineOption screenshot(
        QStringLiteral("screenshot"),
        QStringLiteral("Write a PNG of the window to <file> and exit."), QStringLiteral("file"));
    parser.addOption(screenshot);
    parser.process(app);

    GalleryWindow window;
    window.show();
    if (!parser.isSet(screenshot)) return QApplication::exec();

    window.Freeze();
    QApplication::processEvents();
    const QString file = parser.value(screenshot);
    if (!window.grab().save(file, "PNG")) {
        std::fprintf(stderr, "meter-gallery: cannot write %s\n", qPrintable(file));
        return 1;
    }
    return 0;
}
