// Takes the working file lock of the path given, reports "locked" on standard
// output and keeps the lock until its standard input closes.

#include "core/common/ZoqError.h"
#include "core/document/WorkingFileLock.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2)
        return 2;
    WorkingFileLock lock;
    try {
        lock.acquire(QString::fromLocal8Bit(argv[1]));
    } catch (const ZoqError &error) {
        std::printf("%s\n", qPrintable(error.message()));
        return 1;
    }
    std::printf("locked\n");
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
    return 0;
}
