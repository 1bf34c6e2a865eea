#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <memory>

// The module's EEPROM: 512 slots of 512 bytes, erased to 0xFF. Kept in memory,
// or written through to a 262,144-byte file.
class EepromStore final
{
public:
    static constexpr int SlotSize = 512;
    static constexpr int SlotCount = 512;
    static constexpr int Size = SlotSize * SlotCount;

    EepromStore();

    // Keeps the EEPROM in the file from now on: its content is loaded, or an
    // erased image is written when the file does not exist. False, with the
    // reason in errorString(), when it cannot be used; the store is unchanged then.
    [[nodiscard]] bool useFile(const QString &path);
    [[nodiscard]] QString errorString() const { return m_error; }

    [[nodiscard]] const QByteArray &image() const { return m_image; }
    // An image shorter than 262,144 bytes leaves the rest erased; a longer one
    // is cut. False when the file could not be written (see errorString()).
    [[nodiscard]] bool setImage(const QByteArray &image);

    // Empty for an index outside 0..511.
    [[nodiscard]] QByteArray slot(int index) const;
    // Slot data shorter than 512 bytes is filled up with 0xFF. False for an
    // index outside 0..511 or when the file could not be written.
    [[nodiscard]] bool setSlot(int index, const QByteArray &data);

private:
    [[nodiscard]] bool writeThrough(qint64 offset, QByteArrayView bytes);

    QByteArray m_image;
    std::unique_ptr<QFile> m_file;
    QString m_error;
};
