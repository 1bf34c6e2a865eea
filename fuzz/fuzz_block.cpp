// A block as a row holds it, of any length: the fields derived from it in
// both name encodings, and the waveform drawn from it at the scale, time
// labels and rolling chosen by the first byte.

#include "FuzzSupport.h"

#include "core/signal/DerivedFields.h"
#include "core/signal/NameEncoding.h"
#include "core/signal/WaveTraces.h"

#include <QLocale>

#include <algorithm>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    FuzzSupport::startApplication(argc, argv, true);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const uint8_t choice = data[0];
    const QByteArray field = FuzzSupport::bytes(data + 1, size - 1);
    for (NameEncoding::Kind kind : NameEncoding::kinds()) {
        const DerivedFields fields = deriveFields(field, NameEncoding(kind));
        if (fields.function.size() > 15)
            FuzzSupport::finding("a name longer than its 15 bytes");
    }

    static WaveTraces traces(QLocale::c());
    traces.normalSize();
    for (int step = 0; step < (choice & 0x07); ++step)
        (choice & 0x08) ? traces.zoomOut() : traces.zoomIn();
    traces.setShowTime(choice & 0x10);
    traces.setRolling(choice & 0x20);
    traces.drawWave(choice & 0x40, true, field);
    if (traces.imageWidth() > WaveRenderer::StripWidth)
        FuzzSupport::finding("the waveform picture is wider than the strip");
    if (traces.imageWidth() != std::max(traces.traceEnd(0), traces.traceEnd(1)))
        FuzzSupport::finding("the waveform picture is not as wide as its traces");
    return 0;
}
