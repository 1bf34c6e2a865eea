#include "FuzzSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace FuzzSupport {

void startApplication(int *argc, char ***argv, bool gui)
{
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    if (gui) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        new QGuiApplication(*argc, *argv);
    } else {
        new QCoreApplication(*argc, *argv);
    }
}

QString workFolder()
{
    static const std::unique_ptr<QTemporaryDir> folder = [] {
        const QString memory = QStringLiteral("/dev/shm");
        const QString base = QDir(memory).exists() ? memory : QDir::tempPath();
        return std::make_unique<QTemporaryDir>(base + QStringLiteral("/zoq-fuzz-XXXXXX"));
    }();
    if (!folder->isValid())
        finding("no folder for the harness's files");
    return folder->path();
}

void finding(const char *what)
{
    std::fprintf(stderr, "finding: %s\n", what);
    std::abort();
}

} // namespace FuzzSupport
