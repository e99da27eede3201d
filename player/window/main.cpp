// OrvanePlayer: replays engine-control-unit logs.
#include <QApplication>

#include "window/QtPlayerHost.h"
#include "window/frmPlayer.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    orvane::QtPlayerHost host;
    orvane::frmPlayer window(host);
    window.Form_Load();
    if (host.Ended()) return host.ExitStatus();  // the layout failed and ended the program
    window.show();
    return app.exec();
}
