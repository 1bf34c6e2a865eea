// info: what the slots of a document hold, as lines or as JSON.

#include "cli/CliCommand.h"
#include "cli/CliDocument.h"
#include "cli/CliRun.h"
#include "core/signal/IrBlock.h"
#include "core/signal/IrDecoder.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

struct SlotInfo
{
    int id = 0;
    QString function;
    QString remark;
    QString format;
    QString carry;
    IrDecode decode;
};

SlotInfo slotInfo(const CodeTable &table, int index)
{
    SlotInfo info;
    const QVariant id = table.valueAt(index, table.fieldIndex(QStringLiteral("ID")));
    info.id = id.isValid() ? id.toInt() : index + 1;
    info.function = table.functionName(index);
    info.remark = table.valueAt(index, table.fieldIndex(QStringLiteral("Remark"))).toString();
    info.format = table.valueAt(index, table.fieldIndex(QStringLiteral("Format"))).toString();
    info.carry = table.valueAt(index, table.fieldIndex(QStringLiteral("Carry"))).toString();
    info.decode = IrDecoder::decode(IrBlock::fromField(table.irDataAt(index)));
    return info;
}

QJsonValue numberOrNull(const QString &text)
{
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok);
    return ok ? QJsonValue(value) : QJsonValue();
}

QJsonObject jsonOf(const SlotInfo &info)
{
    const bool code = info.decode.kind == IrDecode::Kind::Code;
    const IrCode &key = info.decode.code;
    const bool toggle = code && irProtocolInfo(key.protocol).hasToggle;
    return {
        {QStringLiteral("id"), info.id},
        {QStringLiteral("function"), info.function},
        {QStringLiteral("remark"), info.remark},
        {QStringLiteral("format"), info.format},
        {QStringLiteral("carry"), numberOrNull(info.carry)},
        {QStringLiteral("protocol"), code ? QJsonValue(irProtocolName(key.protocol)) : QJsonValue()},
        {QStringLiteral("address"), code ? QJsonValue(qint64(key.address)) : QJsonValue()},
        {QStringLiteral("command"), code ? QJsonValue(qint64(key.command)) : QJsonValue()},
        {QStringLiteral("toggle"), toggle ? QJsonValue(key.toggle ? 1 : 0) : QJsonValue()},
    };
}

QString lineOf(const SlotInfo &info)
{
    const QStringList columns = {QString::number(info.id).rightJustified(3),
                                 info.function.leftJustified(15),
                                 info.format.leftJustified(7),
                                 info.carry.rightJustified(6),
                                 info.decode.summary().leftJustified(26),
                                 info.remark};
    QString line = columns.join(QStringLiteral("  "));
    while (line.endsWith(QLatin1Char(' ')))
        line.chop(1);
    return line;
}

void info(CliRun &run)
{
    const auto document = CliDocument::open(run.argument(0));
    const CodeTable &table = document->table();
    const bool all = run.isSet(QStringLiteral("all"));
    const bool json = run.isSet(QStringLiteral("json"));
    QJsonArray entries;
    for (int index = 0; index < table.recordCount(); ++index) {
        const SlotInfo info = slotInfo(table, index);
        if (!all && info.decode.kind == IrDecode::Kind::Empty)
            continue;
        if (json)
            entries.append(jsonOf(info));
        else
            run.out() << lineOf(info) << '\n';
    }
    if (json)
        run.out() << QJsonDocument(entries).toJson(QJsonDocument::Indented);
    run.out().flush();
}

} // namespace

CliCommand infoCommand()
{
    return {QStringLiteral("info"),
            QStringLiteral("info DOC.zoq [--all] [--json]"),
            QStringLiteral("Lists the slots of a document that hold a key."),
            QStringLiteral("One line per slot holding a learned key: ID, name, format, carrier (Hz), the "
                           "decoded protocol, address and command (or \"raw 38 kHz, 67 durations\"), remark. "
                           "--all lists every slot. --json prints one array of objects with the keys id, "
                           "function, remark, format, carry, protocol, address, command and toggle; protocol, "
                           "address and command are null for a raw or empty slot, toggle where the protocol "
                           "has none."),
            {{QStringLiteral("DOC.zoq"), QStringLiteral("The document.")}},
            {QCommandLineOption(QStringLiteral("all"), QStringLiteral("List every slot, empty ones too.")),
             QCommandLineOption(QStringLiteral("json"), QStringLiteral("Print JSON."))},
            info};
}
