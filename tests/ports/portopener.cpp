// Opens the port named by its argument as the program does, and prints why
// it did not open: the failure's kind as a number on the first line, then
// the message of the "Open Error" box. Tests run it as another user.

#include "support/ScriptedPrompt.h"
#include "core/device/SerialLink.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2)
        return 2;
    ScriptedPrompt prompt;
    SerialLink link(prompt);
    const bool opened = link.open(QString::fromLocal8Bit(argv[1]));
    std::printf("%d\n%s\n", int(link.lastOpenFailure().kind()), qPrintable(link.lastOpenFailure().message()));
    return opened ? 0 : 1;
}
