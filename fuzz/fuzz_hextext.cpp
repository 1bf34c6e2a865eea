// IR data text files: the file's text, then the hex parser. A block the
// parser accepts is written and read back unchanged.

#include "FuzzSupport.h"

#include "core/signal/IrBlock.h"
#include "core/signal/IrDataText.h"

#include <QBuffer>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    FuzzSupport::startApplication(argc, argv, false);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray content = FuzzSupport::bytes(data, size);
    QBuffer device(&content);
    device.open(QIODevice::ReadOnly);
    QString refusal;
    const std::optional<QString> text = irDataFileText(device, &refusal);
    if (!text)
        return 0;
    QByteArray block;
    int count = 0;
    QString error;
    if (!parseHexText(*text, block, count, &error) || count != IrBlock::Size)
        return 0;
    if (block.size() != IrBlock::Size)
        FuzzSupport::finding("a block of 512 bytes was counted but not stored");
    QByteArray again;
    int againCount = 0;
    if (!parseHexText(QString::fromLatin1(irDataText(block)), again, againCount, nullptr) || again != block)
        FuzzSupport::finding("a saved block does not read back the same");
    return 0;
}
