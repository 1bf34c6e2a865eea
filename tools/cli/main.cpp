#include "cli/CliProgram.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    CliProgram program(out, err);
    return program.run(app.arguments());
}
