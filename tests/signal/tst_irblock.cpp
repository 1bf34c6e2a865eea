#include "core/signal/DerivedFields.h"
#include "core/signal/IrBlock.h"

#include <QTest>

class TestIrDataBlock : public QObject
{
    Q_OBJECT

private slots:
    void derivation_data();
    void derivation();
    void nameWriteKeepsTail();
    void nameIsCutAtFifteen();
    void symbolsAreNibblesAndBounded();
    void headerIsBigEndian();
    void shortFieldIsPadded();
};

static IrBlock blockWith(std::initializer_list<std::pair<int, uchar>> bytes, uchar fill = 0)
{
    IrBlock block = IrBlock::filled(fill);
    for (auto [offset, value] : bytes)
        block.set(offset, value);
    return block;
}

void TestIrDataBlock::derivation_data()
{
    QTest::addColumn<IrBlock>("block");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("carry");
    QTest::addColumn<QString>("function");

    QTest::newRow("zeros") << IrBlock() << QString() << QString() << QString();
    QTest::newRow("erased") << IrBlock::filled(0xFF) << QString() << QString()
                            << QString(15, QChar(0xFF));
    QTest::newRow("normal 48") << blockWith({{0, 'r'}, {1, 48}}) << "Normal" << "38416" << QString();
    QTest::newRow("no carrier") << blockWith({{0, 'r'}, {1, 0}}) << "Normal" << "0" << QString();
    QTest::newRow("period 1") << blockWith({{0, 'r'}, {1, 1}}) << "Normal" << "1844000" << QString();
    QTest::newRow("period 255") << blockWith({{0, 'r'}, {1, 255}}) << "Normal" << "7231" << QString();
    QTest::newRow("rc5") << blockWith({{0, 'r'}, {1, 48}, {128, 'r'}}) << "RC5/RC6" << "38416" << QString();
    QTest::newRow("second marker only") << blockWith({{128, 'r'}}) << QString() << QString() << QString();

    IrBlock named = blockWith({{0, 'r'}, {1, 36}}, 'x');
    const char *letters = "POWER_ON";
    for (int i = 0; i < 8; ++i)
        named.set(240 + i, uchar(letters[i]));
    named.set(248, 0);
    QTest::newRow("name then junk") << named << "Normal" << "51222" << "POWER_ON";
}

void TestIrDataBlock::derivation()
{
    QFETCH(IrBlock, block);
    QFETCH(QString, format);
    QFETCH(QString, carry);
    QFETCH(QString, function);
    const DerivedFields fields = deriveFields(block.toByteArray(), NameEncoding());
    QCOMPARE(fields.format, format);
    QCOMPARE(fields.carry, carry);
    QCOMPARE(fields.function, function);
}

void TestIrDataBlock::nameWriteKeepsTail()
{
    IrBlock block;
    block.setNameBytes("ABCDEFGHIJKL");
    block.setNameBytes("XY");
    QCOMPARE(block.at(240), uchar('X'));
    QCOMPARE(block.at(241), uchar('Y'));
    QCOMPARE(block.at(242), uchar(0));
    QCOMPARE(block.at(243), uchar('D'));
    QCOMPARE(block.at(251), uchar('L'));
    QCOMPARE(block.nameBytes(), QByteArray("XY"));
}

void TestIrDataBlock::nameIsCutAtFifteen()
{
    IrBlock block = IrBlock::filled(0x41);
    block.setNameBytes("0123456789abcdefghij");
    QCOMPARE(block.nameBytes(), QByteArray("0123456789abcde"));
    QCOMPARE(block.at(255), uchar(0));
    QCOMPARE(block.at(256), uchar(0x41));
    block.set(255, 'Z');
    QCOMPARE(block.nameBytes().size(), 15);
}

void TestIrDataBlock::symbolsAreNibblesAndBounded()
{
    IrBlock block;
    block.set(256, 0x3A);
    block.set(511, 0xC5);
    QCOMPARE(block.symbol(0), 0xA);
    QCOMPARE(block.symbol(1), 0x3);
    QCOMPARE(block.symbol(510), 0x5);
    QCOMPARE(block.symbol(511), 0xC);
    QCOMPARE(block.symbol(512), 0);
    QCOMPARE(block.symbol(-1), 0);
}

void TestIrDataBlock::headerIsBigEndian()
{
    IrBlock block = blockWith({{0, 'r'}, {1, 48}, {4, 0x01}, {5, 0x02}, {6, 0x00}, {7, 0x09},
                                    {8, 0x02}, {9, 0x00}, {11 + 4 * 15, 0x12}, {12 + 4 * 15, 0x34},
                                    {13 + 4 * 15, 0x00}, {14 + 4 * 15, 0x15}, {128 + 1, 36}});
    const CaptureHeader h = block.header();
    QCOMPARE(h.carrierPeriod(), uchar(48));
    QCOMPARE(h.repeatStart(), quint16(0x0102));
    QCOMPARE(h.repeatEnd(), quint16(9));
    QCOMPARE(h.symbolCount(), quint16(512));
    QCOMPARE(h.duration(15).gap, quint16(0x1234));
    QCOMPARE(h.duration(15).burst, quint16(0x15));
    QCOMPARE(block.header(1).carrierPeriod(), uchar(36));
}

void TestIrDataBlock::shortFieldIsPadded()
{
    const IrBlock padded = IrBlock::fromField(QByteArray(100, 'r'));
    QCOMPARE(padded.at(99), uchar('r'));
    QCOMPARE(padded.at(100), uchar(0xFF));
    const IrBlock cut = IrBlock::fromField(QByteArray(700, 7));
    QCOMPARE(cut.at(511), uchar(7));
}

QTEST_GUILESS_MAIN(TestIrDataBlock)
#include "tst_irblock.moc"
