#include "core/device/SignalLayout.h"

#include <QTest>

// Captures into blocks, blocks into transmissions.
class TestSignalLayout : public QObject
{
    Q_OBJECT

private slots:
    void captureSizes();
    void normalCapture();
    void rc5Capture();
    void extraCaptureBytesAreIgnored();
    void name_data();
    void name();
    void transmission_data();
    void transmission();
};

// A capture whose byte i is distinct from its neighbours (i mod 251, plus 1 so that
// no byte is zero).
static QByteArray patterned(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char(i % 251 + 1);
    return bytes;
}

static QByteArray slice(const IrBlock &block, int from, int length)
{
    return block.toByteArray().mid(from, length);
}

void TestSignalLayout::captureSizes()
{
    QCOMPARE(SignalLayout::captureSize(SignalLayout::FormatNormal), 331);
    QCOMPARE(SignalLayout::captureSize(SignalLayout::FormatRc5Rc6), 662);
}

void TestSignalLayout::normalCapture()
{
    const QByteArray capture = patterned(331);
    const IrBlock block = SignalLayout::blockFromCapture(capture, SignalLayout::FormatNormal, QByteArray());
    QCOMPARE(slice(block, 0, 75), capture.mid(0, 75));
    QCOMPARE(slice(block, 75, 165), QByteArray(165, '\0'));
    QCOMPARE(slice(block, 240, 16), QByteArray(16, '\0'));
    QCOMPARE(slice(block, 256, 256), capture.mid(75, 256));
}

void TestSignalLayout::rc5Capture()
{
    const QByteArray capture = patterned(662);
    const IrBlock block = SignalLayout::blockFromCapture(capture, SignalLayout::FormatRc5Rc6, QByteArray());
    QCOMPARE(slice(block, 0, 75), capture.mid(0, 75));
    QCOMPARE(slice(block, 75, 53), QByteArray(53, '\0'));
    QCOMPARE(slice(block, 128, 75), capture.mid(331, 75));
    QCOMPARE(slice(block, 203, 53), QByteArray(53, '\0'));
    QCOMPARE(slice(block, 256, 128), capture.mid(75, 128));
    QCOMPARE(slice(block, 384, 128), capture.mid(406, 128));
}

void TestSignalLayout::extraCaptureBytesAreIgnored()
{
    const QByteArray capture = patterned(335);
    QCOMPARE(SignalLayout::blockFromCapture(capture, SignalLayout::FormatNormal, "K"),
             SignalLayout::blockFromCapture(capture.first(331), SignalLayout::FormatNormal, "K"));
}

void TestSignalLayout::name_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("field"); // bytes 240-255

    QTest::newRow("five") << QByteArray("Power") << QByteArray("Power") + QByteArray(11, '\0');
    QTest::newRow("fifteen") << QByteArray("ABCDEFGHIJKLMNO") << QByteArray("ABCDEFGHIJKLMNO") + '\0';
    QTest::newRow("cut to fifteen") << QByteArray("ABCDEFGHIJKLMNOPQRS") << QByteArray("ABCDEFGHIJKLMNO") + '\0';
    QTest::newRow("upper half") << QByteArray("Vol\xe9\xb5\xe7")
                                << QByteArray("Vol\xe9\xb5\xe7") + QByteArray(10, '\0');
}

void TestSignalLayout::name()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, field);
    const IrBlock block = SignalLayout::blockFromCapture(patterned(331), SignalLayout::FormatNormal, name);
    QCOMPARE(slice(block, 240, 16), field);
    QCOMPARE(block.nameBytes(), name.left(15));
}

void TestSignalLayout::transmission_data()
{
    QTest::addColumn<bool>("rc5");
    QTest::addColumn<bool>("alternation");
    QTest::addColumn<QList<int>>("ranges"); // offset, length, offset, length...

    const QList<int> first{0, 75, 256, 256};
    QTest::newRow("normal") << false << false << first;
    QTest::newRow("normal, alternation set") << false << true << first;
    QTest::newRow("rc5 first capture") << true << false << first;
    QTest::newRow("rc5 second capture") << true << true << QList<int>{128, 75, 384, 128, 256, 128};
}

void TestSignalLayout::transmission()
{
    QFETCH(bool, rc5);
    QFETCH(bool, alternation);
    QFETCH(QList<int>, ranges);
    IrBlock block = IrBlock::fromField(patterned(512));
    block.set(0, 'r');
    block.set(128, rc5 ? 'r' : 0);
    const QList<QByteArray> writes = SignalLayout::transmissionWrites(block, alternation);
    QCOMPARE(writes.size(), ranges.size() / 2);
    int total = 0;
    for (int i = 0; i < writes.size(); ++i) {
        QCOMPARE(writes[i], slice(block, ranges[2 * i], ranges[2 * i + 1]));
        total += int(writes[i].size());
    }
    QCOMPARE(total, 331);
}

QTEST_GUILESS_MAIN(TestSignalLayout)
#include "tst_signallayout.moc"
