// generate: a key made from protocol parameters, written into a row.

#include "cli/CliCommand.h"
#include "cli/CliDocument.h"
#include "cli/CliRun.h"
#include "cli/RowOverwrite.h"
#include "cli/UsageError.h"
#include "core/common/ZoqError.h"
#include "core/document/CodeFromProtocol.h"
#include "core/signal/IrDecoder.h"

namespace {

IrCode codeOf(const CliRun &run)
{
    const QString name = run.required(QStringLiteral("protocol"));
    const std::optional<IrProtocol> protocol = irProtocolFromName(name);
    if (!protocol) {
        QStringList names;
        for (const IrProtocol known : allIrProtocols())
            names.append(irProtocolName(known));
        throw UsageError(QStringLiteral("unknown protocol '%1'; known: %2").arg(name, names.join(QStringLiteral(", "))));
    }
    IrCode code;
    code.protocol = *protocol;
    code.address = run.number(QStringLiteral("address"), 0, 0xFFFFFFFF);
    code.command = run.number(QStringLiteral("command"), 0, 0xFFFFFFFF);
    if (run.isSet(QStringLiteral("toggle")) && !irProtocolInfo(*protocol).hasToggle)
        throw UsageError(QStringLiteral("%1 has no toggle bit").arg(irProtocolName(*protocol)));
    code.toggle = run.number(QStringLiteral("toggle"), 0, 1, 0) == 1;
    return code;
}

void generate(CliRun &run)
{
    const auto document = CliDocument::open(run.argument(0));
    CodeTable &table = document->table();
    const int row = int(run.number(QStringLiteral("row"), 1, quint32(qMax(table.recordCount(), 1))));
    const IrCode code = codeOf(run);
    table.setRecNo(row);
    const QString name = run.isSet(QStringLiteral("name")) ? run.value(QStringLiteral("name"))
                                                           : table.functionName(row - 1);
    const IrResult<IrBlock> block = CodeFromProtocol::blockFor(table, code, name);
    if (!block.isOk())
        throw ZoqError(block.error());
    RowOverwrite::require(table, {row}, run.isSet(QStringLiteral("yes")));
    CodeFromProtocol::storeInCurrentRow(table, block.value());
    document->saveInPlace();
    run.out() << QStringLiteral("row %1: %2").arg(row).arg(IrDecoder::summary(block.value())) << Qt::endl;
}

} // namespace

CliCommand generateCommand()
{
    return {QStringLiteral("generate"),
            QStringLiteral("generate DOC.zoq --row N --protocol P --address A --command C [--toggle T] "
                           "[--name NAME] [--yes]"),
            QStringLiteral("Writes a key made from protocol parameters into a row."),
            QStringLiteral("Makes the key of protocol P with address A and command C (decimal, or hex after "
                           "0x) and writes it into row N; RC5, RC5X and RC6 give an RC5/RC6 block with both "
                           "toggle values, --toggle choosing the first. The row keeps its name unless --name "
                           "gives one. A row holding a learned key is overwritten only with --yes. Protocols: "
                           "NEC, NECext, NEC42, NEC42ext, Samsung32, SIRC, SIRC15, SIRC20, RC5, RC5X, RC6, JVC, "
                           "Kaseikyo, Sharp, Denon, RCA."),
            {{QStringLiteral("DOC.zoq"), QStringLiteral("The document.")}},
            {QCommandLineOption(QStringLiteral("row"), QStringLiteral("The row (1-512)."), QStringLiteral("N")),
             QCommandLineOption(QStringLiteral("protocol"), QStringLiteral("The protocol, in any case."),
                                QStringLiteral("P")),
             QCommandLineOption(QStringLiteral("address"), QStringLiteral("The address."), QStringLiteral("A")),
             QCommandLineOption(QStringLiteral("command"), QStringLiteral("The command."), QStringLiteral("C")),
             QCommandLineOption(QStringLiteral("toggle"), QStringLiteral("The toggle bit, 0 or 1 (default 0)."),
                                QStringLiteral("T")),
             QCommandLineOption(QStringLiteral("name"), QStringLiteral("The key's name (up to 15 bytes)."),
                                QStringLiteral("NAME")),
             QCommandLineOption(QStringLiteral("yes"), QStringLiteral("Overwrite a learned key."))},
            generate};
}
