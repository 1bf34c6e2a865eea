#include "core/image/CompiledImage.h"

#include "core/common/SafeFile.h"
#include "core/common/ZoqError.h"
#include "core/document/CodeTable.h"
#include "core/document/TableWalkGuard.h"
#include "core/image/EepromImage.h"
#include "core/image/ImageSlots.h"

#include <QDir>
#include <QFile>

namespace {

QString nativePath(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

void requireImageSize(qsizetype size)
{
    if (size < EepromImage::Size)
        throw ZoqError(QStringLiteral("The file is not a compiled image: it holds %1 bytes, "
                                      "an image holds 262,144.")
                           .arg(size));
}

template<typename Visit>
void walkSlots(CodeTable &table, Visit visit)
{
    if (table.recordCount() == 0)
        throw ZoqError(QStringLiteral("The code table has no rows."));
    {
        const TableWalkGuard guard(table, TableWalkGuard::AfterRowChange | TableWalkGuard::Views);
        table.first();
        for (int slot = 0; slot < EepromImage::SlotCount; ++slot) {
            visit(slot);
            table.next();
        }
    }
    table.first();
}

} // namespace

QByteArray compileImage(CodeTable &table)
{
    QByteArray image;
    image.reserve(EepromImage::Size);
    walkSlots(table, [&](int) { image.append(slotFromField(table.irData())); });
    return image;
}

void writeImageFile(CodeTable &table, const QString &path)
{
    const QByteArray image = compileImage(table);
    // An existing file in a folder that takes no new files is overwritten in place.
    SafeFile::write(path, image, SafeFile::Fallback::OverwriteInPlace);
}

QByteArray readImageFile(const QString &path)
{
    QFile file(path);
    SafeFile::openForReading(file);
    const QByteArray image = file.read(EepromImage::Size);
    if (file.error() != QFileDevice::NoError)
        throw ZoqError(QStringLiteral("Cannot read file \"%1\". %2").arg(nativePath(path), file.errorString()));
    requireImageSize(image.size());
    return image;
}

void importImage(CodeTable &table, const QByteArray &image)
{
    requireImageSize(image.size());
    walkSlots(table, [&](int slot) {
        storeSlot(table, image.mid(qsizetype(slot) * EepromImage::SlotSize, EepromImage::SlotSize));
    });
}
