#include "app/ZoqApplication.h"
#include "core/common/FileLocations.h"
#include "gui/mainwindow/DialogPrompt.h"
#include "gui/mainwindow/MainWindow.h"

#include <QFileInfo>

// One optional argument: a document (or ".bin" image) to open after start-up,
// as a file manager passes it.
int main(int argc, char *argv[])
{
    ZoqApplication app(argc, argv);
    DialogPrompt prompt;
    app.setPrompt(&prompt);
    MainWindow window(prompt, FileLocations::forRunningProgram());
    prompt.setOwner(&window);
    window.show();
    const QStringList arguments = QCoreApplication::arguments();
    const QString document = arguments.size() > 1 ? QFileInfo(arguments.at(1)).absoluteFilePath() : QString();
    app.guard([&] { window.start(document); });
    return app.exec();
}
