// learn: keys from a remote into rows, through the module, as the window's
// IR Learn does; the document is saved when the run ends.

#include "cli/CliCommand.h"
#include "cli/CliDocument.h"
#include "cli/CliRun.h"
#include "cli/ModuleLine.h"
#include "cli/UsageError.h"
#include "core/common/ZoqError.h"
#include "core/device/LearnHost.h"
#include "core/device/LearnRun.h"
#include "core/device/SignalLayout.h"
#include "core/document/RowName.h"
#include "core/signal/IrDecoder.h"

#include <QScopeGuard>

namespace {

// The rows of the command line are the selection; what the window would
// draw is told on the terminal instead.
class CliLearnHost final : public LearnHost
{
public:
    CliLearnHost(CliRun &run, CodeTable &table, const CliRun::Rows &rows)
        : m_run(run)
        , m_table(table)
        , m_rows(rows)
    {
    }

    [[nodiscard]] int learned() const { return m_learned; }
    [[nodiscard]] int currentRow() const { return m_table.recNo(); }

    void detachRowChangeHook() override {}
    void attachRowChangeHook() override {}
    QList<int> selectedRows() override
    {
        QList<int> rows;
        for (int row = m_rows.first; row <= m_rows.last; ++row)
            rows.append(row);
        return rows;
    }
    void makeCurrent(int row) override { m_table.setRecNo(row); }
    QByteArray currentNameBytes() override
    {
        QString refusal;
        const std::optional<QByteArray> bytes =
            RowName::bytesFor(m_table, m_table.functionName(m_table.recNo() - 1), &refusal);
        if (!bytes)
            throw ZoqError(QStringLiteral("row %1: %2").arg(m_table.recNo()).arg(refusal));
        return *bytes;
    }
    void storeBlock(const IrBlock &block) override
    {
        m_table.edit();
        m_table.setField(QStringLiteral("IR Data"), block.toByteArray());
        m_table.post();
        ++m_learned;
        m_run.out() << QStringLiteral("row %1: %2").arg(m_table.recNo()).arg(IrDecoder::summary(block)) << Qt::endl;
    }
    void drawWave(bool) override {}
    void scrollWaveToStart() override {}
    void setCapturing(bool capturing) override
    {
        if (capturing)
            m_run.tell(QStringLiteral("row %1: press the key on the remote (Ctrl+C stops)").arg(m_table.recNo()));
    }

private:
    CliRun &m_run;
    CodeTable &m_table;
    CliRun::Rows m_rows;
    int m_learned = 0;
};

quint8 irFormat(const QString &text)
{
    if (text.compare(QLatin1String("normal"), Qt::CaseInsensitive) == 0)
        return SignalLayout::FormatNormal;
    if (text.compare(QLatin1String("rc5"), Qt::CaseInsensitive) == 0)
        return SignalLayout::FormatRc5Rc6;
    throw UsageError(QStringLiteral("--format takes normal or rc5, not '%1'").arg(text));
}

void learn(CliRun &run)
{
    const auto document = CliDocument::open(run.argument(0));
    CodeTable &table = document->table();
    const CliRun::Rows rows = CliRun::rows(QStringLiteral("rows"), run.required(QStringLiteral("rows")), table.recordCount());
    LearnRun::Parameters parameters;
    parameters.learnTime = quint8(run.number(QStringLiteral("time"), 1, 3, 1));
    parameters.irFormat = irFormat(run.isSet(QStringLiteral("format")) ? run.value(QStringLiteral("format"))
                                                                      : QStringLiteral("normal"));

    ModuleLine line(run);
    parameters.moduleId = line.moduleId();
    CliLearnHost host(run, table, rows);
    LearnRun learnRun(line.link(), run.prompt(), host);
    line.setOnStop([&learnRun] {
        if (learnRun.isLearning())
            learnRun.learnOrStop({}); // the Stop button
    });
    // Closing the line runs events, where a late Ctrl+C must not reach the run.
    const auto forgetRun = qScopeGuard([&line] { line.setOnStop({}); });
    QString failure;
    try {
        learnRun.learnOrStop(parameters);
    } catch (const ZoqError &error) {
        failure = error.message();
    }
    // Keys learned before a failure or a stop are kept, as in the window.
    if (host.learned() > 0)
        document->saveInPlace();
    if (host.learned() == rows.count())
        return;
    if (failure.isEmpty() && line.stopRequested())
        failure = QStringLiteral("stopped by Ctrl+C at row %1").arg(host.currentRow());
    else if (failure.isEmpty() && run.prompt().notices().contains(QStringLiteral("No found IR device!")))
        failure = QStringLiteral("row %1: no answer to LEARN (module ID %2 on %3)")
                      .arg(QString::number(host.currentRow()), QString::number(line.moduleId()), line.portName());
    else if (failure.isEmpty())
        failure = QStringLiteral("row %1: cannot write LEARN to %2").arg(host.currentRow()).arg(line.portName());
    throw ZoqError(QStringLiteral("%1; %2 of %3 rows learned%4")
                       .arg(failure)
                       .arg(host.learned())
                       .arg(rows.count())
                       .arg(host.learned() > 0 ? QStringLiteral(" and saved") : QString()));
}

} // namespace

CliCommand learnCommand()
{
    return {QStringLiteral("learn"),
            QStringLiteral("learn DOC.zoq --rows A[-B] --port PORT [--time 1|2|3] [--format normal|rc5]"),
            QStringLiteral("Learns keys from a remote into rows."),
            QStringLiteral("Learns one key per row, from row A to row B, as the window's IR Learn does: the "
                           "module acknowledges each LEARN frame, then waits for the key (press it on the "
                           "remote). Each key keeps its row's name. The document is saved when the run ends, "
                           "with the keys learned so far when it ends early (Ctrl+C, no answer)."),
            {{QStringLiteral("DOC.zoq"), QStringLiteral("The document.")}},
            ModuleLine::options()
                << QCommandLineOption(QStringLiteral("rows"), QStringLiteral("The rows: A or A-B."),
                                      QStringLiteral("A[-B]"))
                << QCommandLineOption(QStringLiteral("time"), QStringLiteral("Learn time in seconds, 1-3 (default 1)."),
                                      QStringLiteral("S"))
                << QCommandLineOption(QStringLiteral("format"),
                                      QStringLiteral("IR format: normal or rc5 (RC5/RC6; default normal)."),
                                      QStringLiteral("F")),
            learn};
}
