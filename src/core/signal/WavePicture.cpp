#include "core/signal/WavePicture.h"

#include "core/common/AppTexts.h"
#include "core/common/FileNames.h"
#include "core/common/Prompt.h"
#include "core/common/SafeFile.h"
#include "core/common/ZoqError.h"
#include "core/signal/WavePainterCanvas.h"
#include "core/signal/WaveTraces.h"

#include <QBuffer>
#include <QFileInfo>
#include <QPainter>
#include <QSvgGenerator>

namespace WavePicture {
namespace {

constexpr int ScreenDpi = 96;

} // namespace

QByteArray png(const WaveTraces &traces)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!traces.image().save(&buffer, "PNG"))
        throw ZoqError(QStringLiteral("The picture could not be encoded as PNG."));
    return bytes;
}

QByteArray svg(WaveTraces &traces)
{
    const QSize size(traces.imageWidth(), WaveTraces::ImageHeight);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setResolution(ScreenDpi);
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
    generator.setTitle(QStringLiteral("IR waveform"));
    QPainter painter(&generator);
    for (int t = 0; t < 2; ++t) {
        WavePainterCanvas band(painter, WaveTraces::BandHeight * t, size.width(), traces.glyphs());
        traces.paintBand(t, band);
        band.finish();
    }
    painter.end();
    return bytes;
}

QString proposedName(const QString &keyName)
{
    QString name = keyName.trimmed();
    for (QChar &c : name) {
        if (c < QLatin1Char(' ') || QStringLiteral("/\\:*?\"<>|").contains(c))
            c = QLatin1Char('_');
    }
    if (name.isEmpty() || name.startsWith(QLatin1Char('.')))
        name.prepend(QStringLiteral("Wave"));
    return name + QStringLiteral(".png");
}

void saveAs(Prompt &prompt, WaveTraces &traces, const QString &keyName)
{
    const QString chosen = prompt.saveFileName(QLatin1String(Filter), proposedName(keyName));
    if (chosen.isEmpty())
        return;
    const bool asSvg = fileExtension(chosen).compare(QStringLiteral(".svg"), Qt::CaseInsensitive) == 0;
    const QString path = asSvg ? chosen : withExtension(chosen, QStringLiteral(".png"));
    if (QFileInfo::exists(path)
        && !prompt.askYesNo(AppTexts::mainCaption(), QStringLiteral("File already exist.Replace?")))
        return;
    SafeFile::write(path, asSvg ? svg(traces) : png(traces));
}

} // namespace WavePicture
