#include "core/formats/FlipperProtocol.h"

#include <QTest>

Q_DECLARE_METATYPE(IrCode)
using Fields = FlipperProtocol::Fields;
Q_DECLARE_METATYPE(Fields)

class TestFlipperProtocol : public QObject
{
    Q_OBJECT

private slots:
    void codesMapBothWays_data();
    void codesMapBothWays();
    void codesFlipperDoesNotSendStayRaw_data();
    void codesFlipperDoesNotSendStayRaw();
    void fieldsZoqDoesNotBuildAreRefused_data();
    void fieldsZoqDoesNotBuildAreRefused();
    void extendedFormWithInverseAddressIsTheShortForm();
};

void TestFlipperProtocol::codesMapBothWays_data()
{
    QTest::addColumn<IrCode>("code");
    QTest::addColumn<Fields>("fields");
    QTest::newRow("NEC") << IrCode{IrProtocol::Nec, 0x04, 0x08} << Fields{QStringLiteral("NEC"), 0x04, 0x08};
    QTest::newRow("NECext: command and its inverse")
        << IrCode{IrProtocol::NecExt, 0x87EE, 0x5D} << Fields{QStringLiteral("NECext"), 0x87EE, 0xA25D};
    QTest::newRow("NEC42") << IrCode{IrProtocol::Nec42, 0x1ABC, 0x12} << Fields{QStringLiteral("NEC42"), 0x1ABC, 0x12};
    QTest::newRow("NEC42ext") << IrCode{IrProtocol::Nec42Ext, 0x2ABCDEF, 0x12}
                              << Fields{QStringLiteral("NEC42ext"), 0x2ABCDEF, 0xED12};
    QTest::newRow("Samsung32") << IrCode{IrProtocol::Samsung32, 0x07, 0x02}
                               << Fields{QStringLiteral("Samsung32"), 0x07, 0x02};
    QTest::newRow("SIRC20") << IrCode{IrProtocol::Sirc20, 0x1ABC, 0x15}
                            << Fields{QStringLiteral("SIRC20"), 0x1ABC, 0x15};
    QTest::newRow("RC5") << IrCode{IrProtocol::Rc5, 0x05, 0x0C} << Fields{QStringLiteral("RC5"), 0x05, 0x0C};
    QTest::newRow("RC5X: six command bits")
        << IrCode{IrProtocol::Rc5x, 0x05, 0x4C} << Fields{QStringLiteral("RC5X"), 0x05, 0x0C};
    QTest::newRow("RC6") << IrCode{IrProtocol::Rc6, 0x10, 0x20} << Fields{QStringLiteral("RC6"), 0x10, 0x20};
    QTest::newRow("RCA") << IrCode{IrProtocol::Rca, 0x0A, 0x54} << Fields{QStringLiteral("RCA"), 0x0A, 0x54};
    // Manufacturer 0x2002, device 8, subdevice 0, function 0x3D, extra 0xD:
    // bytes 02 20 80 00 3D BD, the last the exclusive-or of 80 00 3D.
    QTest::newRow("Kaseikyo") << IrCode{IrProtocol::Kaseikyo, 0x2002800, 0xD3D}
                              << Fields{QStringLiteral("Kaseikyo"), 0x200280, 0x3D0};
}

void TestFlipperProtocol::codesMapBothWays()
{
    QFETCH(IrCode, code);
    QFETCH(Fields, fields);
    QCOMPARE(FlipperProtocol::fromCode(code), std::optional(fields));
    const IrResult<IrCode> back = FlipperProtocol::toCode(fields);
    QVERIFY2(back.isOk(), qPrintable(back.error()));
    QCOMPARE(back.value().text(), code.text());
}

void TestFlipperProtocol::codesFlipperDoesNotSendStayRaw_data()
{
    QTest::addColumn<IrCode>("code");
    QTest::newRow("JVC") << IrCode{IrProtocol::Jvc, 0x03, 0x17};
    QTest::newRow("Sharp") << IrCode{IrProtocol::Sharp, 0x01, 0x17};
    QTest::newRow("Denon") << IrCode{IrProtocol::Denon, 0x01, 0x17};
    // Manufacturer 0x0103 has parity nibble 2: no Kaseikyo frame of it ends in
    // the exclusive-or byte Flipper sends.
    QTest::newRow("Kaseikyo with a parity nibble") << IrCode{IrProtocol::Kaseikyo, 0x0103800, 0x13D};
}

void TestFlipperProtocol::codesFlipperDoesNotSendStayRaw()
{
    QFETCH(IrCode, code);
    QVERIFY(!FlipperProtocol::fromCode(code));
}

void TestFlipperProtocol::fieldsZoqDoesNotBuildAreRefused_data()
{
    QTest::addColumn<Fields>("fields");
    QTest::addColumn<QString>("error");
    QTest::newRow("unknown protocol") << Fields{QStringLiteral("Pioneer"), 1, 2}
                                      << QStringLiteral("protocol 'Pioneer' is not one ZOQ builds");
    QTest::newRow("JVC is not Flipper's")
        << Fields{QStringLiteral("JVC"), 1, 2} << QStringLiteral("protocol 'JVC' is not one ZOQ builds");
    QTest::newRow("NECext command without its inverse")
        << Fields{QStringLiteral("NECext"), 0x87EE, 0x1234}
        << QStringLiteral(
               "NECext command 0x1234 is not a command byte followed by its inverse, the only form ZOQ builds");
    QTest::newRow("Kaseikyo with a parity nibble")
        << Fields{QStringLiteral("Kaseikyo"), 0x010380, 0x13D}
        << QStringLiteral(
               "its Kaseikyo frame ends in a check byte that ZOQ's Kaseikyo does not send (manufacturer 0x0103)");
    QTest::newRow("RC5X command of 7 bits")
        << Fields{QStringLiteral("RC5X"), 1, 0x4C} << QStringLiteral("RC5X command 0x4c is out of range (6 bits)");
    QTest::newRow("NEC address of 9 bits")
        << Fields{QStringLiteral("NEC"), 0x100, 1} << QStringLiteral("NEC address 0x100 is out of range 0x00..0xFF");
}

void TestFlipperProtocol::fieldsZoqDoesNotBuildAreRefused()
{
    QFETCH(Fields, fields);
    QFETCH(QString, error);
    const IrResult<IrCode> code = FlipperProtocol::toCode(fields);
    QVERIFY(!code.isOk());
    QCOMPARE(code.error(), error);
}

void TestFlipperProtocol::extendedFormWithInverseAddressIsTheShortForm()
{
    const IrResult<IrCode> nec = FlipperProtocol::toCode({QStringLiteral("NECext"), 0xFB04, 0xF708});
    QVERIFY(nec.isOk());
    QCOMPARE(nec.value().text(), QStringLiteral("NEC 0x04 0x08"));
    const IrResult<IrCode> nec42 =
        FlipperProtocol::toCode({QStringLiteral("NEC42ext"), quint32(0x1FFF & ~0x123) << 13 | 0x123, 0xF708});
    QVERIFY(nec42.isOk());
    QCOMPARE(nec42.value().text(), QStringLiteral("NEC42 0x0123 0x08"));
}

QTEST_GUILESS_MAIN(TestFlipperProtocol)
#include "tst_flipperprotocol.moc"
