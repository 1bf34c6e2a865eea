// .bin import: the file as Open reads it, then every slot stored into the
// rows of a new document with the derivation of every post. The rows hold
// the slots as they were, but for the byte that ends each name.

#include "FuzzSupport.h"

#include "core/common/ZoqError.h"
#include "core/document/CodeTable.h"
#include "core/document/DerivePostedRow.h"
#include "core/document/DocumentStore.h"
#include "core/image/CompiledImage.h"
#include "core/image/EepromImage.h"
#include "core/image/ImageSlots.h"
#include "core/signal/IrBlock.h"

#include <QDir>
#include <QFile>

namespace {

CodeTable *table = nullptr;
QString imagePath;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    FuzzSupport::startApplication(argc, argv, false);
    const QDir folder(FuzzSupport::workFolder());
    const QString document = folder.filePath(QStringLiteral("import.zoq"));
    DocumentStore::writeTemplate(document);
    table = new CodeTable;
    table->open(document);
    table->setAfterPost([] { derivePostedRow(*table); });
    imagePath = folder.filePath(QStringLiteral("image.bin"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Inputs shorter than an image are refused at once; the rest of an image
    // is made of the input repeated, so that the fuzzer's short inputs reach
    // the rows.
    QByteArray content = FuzzSupport::bytes(data, size);
    if (!content.isEmpty() && content.size() < EepromImage::Size && data[0] != 0)
        content = content.repeated(EepromImage::Size / content.size() + 1).left(EepromImage::Size);
    {
        QFile file(imagePath);
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            FuzzSupport::finding("cannot write the input file");
    }
    QByteArray image;
    try {
        image = readImageFile(imagePath);
    } catch (const ZoqError &) {
        return 0;
    }
    importImage(*table, image);
    for (int slot = 0; slot < EepromImage::SlotCount; ++slot) {
        QByteArray expected = image.mid(qsizetype(slot) * EepromImage::SlotSize, EepromImage::SlotSize);
        expected[IrBlock::NameOffset + IrBlock::NameLength] = '\0';
        if (slotFromField(table->irDataAt(slot)) != expected)
            FuzzSupport::finding("a row does not hold its slot");
    }
    return 0;
}
