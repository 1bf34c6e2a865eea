// zoq-cli as whole processes, start to exit: compile and info of a document
// whose 512 rows all hold a key, and the EEPROM transfers against the module
// simulator, with an instant line and (with --paced) at real wire pacing,
// beside the time the bytes need on the wire.
// Usage: bench_cli [runs] [--paced]   (default 11 runs; medians are printed;
// a paced transfer takes about 25 s and runs once per direction)

#include "BenchTiming.h"

#include "core/document/CodeTable.h"
#include "core/document/DerivePostedRow.h"
#include "core/document/DocumentStore.h"
#include "core/signal/IrEncoder.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

namespace {

QTextStream out(stdout);

// Wire time of count bytes of 10 bits at rate baud, in ms.
double wireMs(qint64 count, int rate)
{
    return double(count) * 10 * 1000 / rate;
}

void writeFullDocument(const QString &path)
{
    DocumentStore::writeTemplate(path);
    CodeTable table;
    table.setAfterPost([&table] { derivePostedRow(table); });
    table.open(path);
    const QList<IrProtocol> protocols = allIrProtocols();
    for (int row = 1; row <= table.recordCount(); ++row) {
        IrCode code;
        code.protocol = protocols.at(row % protocols.size());
        code.command = irProtocolInfo(code.protocol).commandMin;
        code.address = quint32(row) & 0x0F;
        if (code.protocol == IrProtocol::NecExt || code.protocol == IrProtocol::Nec42Ext)
            code.address = 0x0101;
        table.setRecNo(row);
        table.edit();
        table.setField(QStringLiteral("IR Data"), IrEncoder::block(code).value().toByteArray());
        table.post();
    }
    table.updateBatch();
}

// Runs zoq-cli to its end; false when it failed.
bool runCli(const QStringList &arguments)
{
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(QStringLiteral(ZOQ_CLI_PROGRAM), arguments);
    if (!process.waitForFinished(120000) || process.exitCode() != 0) {
        out << "  zoq-cli " << arguments.join(QLatin1Char(' ')) << " failed: "
            << QString::fromUtf8(process.readAllStandardError()) << Qt::endl;
        return false;
    }
    return true;
}

void timeProcess(const char *what, int runs, const QStringList &arguments)
{
    BenchTiming::timeAndReport(what, runs, [&] { (void)runCli(arguments); });
}

class Module
{
public:
    Module(const QTemporaryDir &dir, bool paced)
        : m_link(dir.filePath(QStringLiteral("COM3")))
    {
        QStringList arguments{QStringLiteral("--link"), m_link, QStringLiteral("--eeprom"),
                              dir.filePath(QStringLiteral("eeprom.bin"))};
        if (paced)
            arguments.append(QStringLiteral("--paced"));
        m_process.setStandardOutputFile(QProcess::nullDevice());
        m_process.start(QStringLiteral(ZOQ_MODSIM_PROGRAM), arguments);
        m_process.waitForStarted();
        for (int i = 0; i < 500 && !QFileInfo(m_link).isSymLink(); ++i)
            QThread::msleep(10);
    }
    ~Module()
    {
        m_process.terminate();
        m_process.waitForFinished();
    }
    [[nodiscard]] const QString &link() const { return m_link; }

private:
    QString m_link;
    QProcess m_process;
};

void timeTransfers(const QTemporaryDir &dir, const QString &document, int runs, bool paced)
{
    const Module module(dir, paced);
    const QString port = module.link();
    const QString uploaded = dir.filePath(QStringLiteral("uploaded.zoq"));
    const QString label = paced ? QStringLiteral(" (paced)") : QStringLiteral(" (instant line)");
    const auto time = [&](const QString &what, const QStringList &arguments, double wire) {
        const double ms = BenchTiming::medianMs(runs, [&] { (void)runCli(arguments); });
        BenchTiming::report(what + label, ms, runs, 0);
        if (paced)
            out << QStringLiteral("  wire time %1 ms: zoq-cli takes %2 % of it\n")
                       .arg(wire, 0, 'f', 0)
                       .arg(100 * ms / wire, 0, 'f', 1)
                << Qt::flush;
    };
    // DOWNLOADALL at 9600; per slot 512 bytes, two answers and 'U' at 115200.
    time(QStringLiteral("zoq-cli download"),
         {QStringLiteral("download"), document, QStringLiteral("--port"), port},
         wireMs(14, 9600) + wireMs(512 * (512 + 2 + 1), 115200));
    // UPLOADALL at 9600; the first answer, then per slot 512 bytes and 'U'.
    const double uploadWire = wireMs(12, 9600) + wireMs(1 + 512 * (512 + 1), 115200);
    time(QStringLiteral("zoq-cli upload"), {QStringLiteral("upload"), uploaded, QStringLiteral("--port"), port},
         uploadWire);
    time(QStringLiteral("zoq-cli verify"), {QStringLiteral("verify"), document, QStringLiteral("--port"), port},
         uploadWire);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const bool paced = arguments.contains(QStringLiteral("--paced"));
    int runs = 11;
    for (const QString &argument : arguments.mid(1)) {
        if (argument.toInt() > 0)
            runs = argument.toInt();
    }

    QTemporaryDir dir;
    const QString document = dir.filePath(QStringLiteral("full.zoq"));
    writeFullDocument(document);
    out << "zoq-cli as whole processes, a document of 512 keys" << Qt::endl;
    timeProcess("zoq-cli --help", runs, {QStringLiteral("--help")});
    timeProcess("zoq-cli compile", runs, {QStringLiteral("compile"), document, dir.filePath(QStringLiteral("out.bin"))});
    timeProcess("zoq-cli info", runs, {QStringLiteral("info"), document});
    timeProcess("zoq-cli info --json", runs, {QStringLiteral("info"), document, QStringLiteral("--json")});

    timeTransfers(dir, document, runs, false);
    if (paced)
        timeTransfers(dir, document, 1, true);
    else
        out << "(bench_cli --paced adds the transfers at real wire pacing, about 25 s each)" << Qt::endl;
    return 0;
}
