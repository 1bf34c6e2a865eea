// Times decoding the 512 rows of a full document and encoding 512 codes, and
// prints the medians.

#include "BenchTiming.h"

#include "core/signal/IrDecoder.h"
#include "core/signal/IrEncoder.h"

#include <QCoreApplication>
#include <QRandomGenerator>

#include <algorithm>

namespace {

constexpr int Rows = 512;
constexpr int Runs = 50;

// Keys of every protocol in turn, with random addresses and commands.
QList<IrCode> codes()
{
    QRandomGenerator random(512);
    const QList<IrProtocol> protocols = allIrProtocols();
    QList<IrCode> result;
    while (result.size() < Rows) {
        const IrProtocolInfo &info = irProtocolInfo(protocols[result.size() % protocols.size()]);
        const IrCode code{info.protocol, quint32(random.bounded(quint64(info.addressMax) + 1)),
                          info.commandMin + quint32(random.bounded(quint64(info.commandMax - info.commandMin) + 1)),
                          random.bounded(2) == 1};
        if (code.error().isEmpty())
            result.append(code);
    }
    return result;
}

// The blocks of those keys; every eighth with its symbols shuffled, a signal
// no decoder takes, so every decoder is tried on it.
QList<IrBlock> document(const QList<IrCode> &keys)
{
    QRandomGenerator random(8);
    QList<IrBlock> blocks;
    for (const IrCode &key : keys) {
        IrBlock block = IrEncoder::block(key).value();
        if (blocks.size() % 8 == 7)
            std::shuffle(block.data() + IrBlock::SymbolsOffset, block.data() + IrBlock::Size, random);
        blocks.append(block);
    }
    return blocks;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QList<IrCode> keys = codes();
    const QList<IrBlock> blocks = document(keys);

    int decoded = 0;
    for (const IrBlock &block : blocks)
        decoded += IrDecoder::decode(block).kind == IrDecode::Kind::Code ? 1 : 0;
    QTextStream(stdout) << Rows << " rows of " << allIrProtocols().size() << " protocols, " << decoded
                        << " decoded, the rest raw\n";

    BenchTiming::timeAndReport("decode 512 rows (summary text)", Runs, [&blocks] {
        for (const IrBlock &block : blocks)
            (void)IrDecoder::summary(block);
    });
    BenchTiming::timeAndReport("encode 512 codes into blocks", Runs, [&keys] {
        for (const IrCode &key : keys)
            (void)IrEncoder::block(key);
    });
    return 0;
}
