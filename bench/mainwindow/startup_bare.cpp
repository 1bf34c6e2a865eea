// A bare Qt Widgets window of the main window's size, started as the
// program starts, telling the start-up benchmark when each stage ends.

#include "StartupReport.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    StartupReport::stage("main");
    QApplication app(argc, argv);
    StartupReport::stage("application");
    QWidget window;
    window.resize(758, 626);
    StartupReport::stage("window built");
    window.show();
    StartupReport::waitForFirstFrame(window);
    return 0;
}
