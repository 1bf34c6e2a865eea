// Draws the application icon into a folder for installing: zoq-<n>.png at
// the usual icon sizes and zoq.svg. Run by the build.

#include "gui/mainwindow/ToolBarArt.h"

#include <QDir>
#include <QGuiApplication>
#include <QSvgGenerator>

#include <cstdio>

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: zoq-iconart <folder>\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "zoq-iconart: cannot make %s\n", argv[1]);
        return 1;
    }
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        const QString path = folder.filePath(QStringLiteral("zoq-%1.png").arg(size));
        if (!ToolBarArt::image(ToolBarArt::Picture::AppIcon, size).save(path)) {
            std::fprintf(stderr, "zoq-iconart: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    constexpr int SvgSize = 32;
    QSvgGenerator svg;
    svg.setFileName(folder.filePath(QStringLiteral("zoq.svg")));
    svg.setSize(QSize(SvgSize, SvgSize));
    svg.setViewBox(QRect(0, 0, SvgSize, SvgSize));
    svg.setTitle(QStringLiteral("ZOQ"));
    ToolBarArt::draw(svg, ToolBarArt::Picture::AppIcon, SvgSize);
    return 0;
}
