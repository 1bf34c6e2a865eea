#include "modsim/EepromStore.h"

namespace {

constexpr char Erased = char(0xFF);

[[nodiscard]] QByteArray erasedPadded(const QByteArray &data, qsizetype size)
{
    QByteArray result = data.first(std::min(data.size(), size));
    result.append(size - result.size(), Erased);
    return result;
}

} // namespace

EepromStore::EepromStore()
    : m_image(Size, Erased)
{
}

bool EepromStore::useFile(const QString &path)
{
    auto file = std::make_unique<QFile>(path);
    const bool existed = file->exists();
    if (!file->open(QIODevice::ReadWrite)) {
        m_error = QStringLiteral("cannot open %1: %2").arg(path, file->errorString());
        return false;
    }
    QByteArray image = existed ? file->readAll() : QByteArray(Size, Erased);
    if (image.size() != Size) {
        m_error = QStringLiteral("%1 holds %2 bytes, not an EEPROM image of %3 bytes")
                      .arg(path)
                      .arg(image.size())
                      .arg(Size);
        return false;
    }
    if (!existed && (file->write(image) != Size || !file->flush())) {
        m_error = QStringLiteral("cannot write %1: %2").arg(path, file->errorString());
        file->close();
        file->remove();
        return false;
    }
    m_image = image;
    m_file = std::move(file);
    m_error.clear();
    return true;
}

bool EepromStore::setImage(const QByteArray &image)
{
    m_image = erasedPadded(image, Size);
    return writeThrough(0, m_image);
}

QByteArray EepromStore::slot(int index) const
{
    if (index < 0 || index >= SlotCount)
        return {};
    return m_image.mid(qsizetype(index) * SlotSize, SlotSize);
}

bool EepromStore::setSlot(int index, const QByteArray &data)
{
    if (index < 0 || index >= SlotCount) {
        m_error = QStringLiteral("no EEPROM slot %1").arg(index);
        return false;
    }
    const QByteArray padded = erasedPadded(data, SlotSize);
    const qint64 offset = qint64(index) * SlotSize;
    m_image.replace(offset, SlotSize, padded);
    return writeThrough(offset, padded);
}

bool EepromStore::writeThrough(qint64 offset, QByteArrayView bytes)
{
    if (!m_file)
        return true;
    if (m_file->seek(offset) && m_file->write(bytes.data(), bytes.size()) == bytes.size() && m_file->flush())
        return true;
    m_error = QStringLiteral("cannot write %1: %2").arg(m_file->fileName(), m_file->errorString());
    return false;
}
