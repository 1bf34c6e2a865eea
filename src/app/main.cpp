#include "gui/mainwindow/DialogPrompt.h"
#include "gui/mainwindow/MainWindow.h"
#include "app/ZoqApplication.h"

int main(int argc, char *argv[])
{
    ZoqApplication app(argc, argv);
    DialogPrompt prompt;
    app.setPrompt(&prompt);
    MainWindow form(prompt, QCoreApplication::applicationDirPath());
    prompt.setOwner(&form);
    form.show();
    app.guard([&] { form.start(); });
    return app.exec();
}
