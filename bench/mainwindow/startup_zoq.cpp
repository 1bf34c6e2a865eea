// The program's start-up as main() runs it, telling the start-up benchmark
// when each stage ends. The program folder is the first argument.

#include "StartupReport.h"
#include "app/ZoqApplication.h"
#include "gui/mainwindow/DialogPrompt.h"
#include "gui/mainwindow/MainWindow.h"

int main(int argc, char *argv[])
{
    StartupReport::stage("main");
    ZoqApplication app(argc, argv);
    StartupReport::stage("application");
    DialogPrompt prompt;
    app.setPrompt(&prompt);
    MainWindow window(prompt, QString::fromLocal8Bit(argv[1]));
    prompt.setOwner(&window);
    StartupReport::stage("window built");
    window.show();
    app.guard([&] { window.start(QString(), StartupReport::stage); });
    StartupReport::waitForFirstFrame(window);
    return 0;
}
