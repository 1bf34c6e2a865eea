// download, upload and verify: the EEPROM transfers of the window, with the
// same frames, rates and time-outs, told in the module's terms.

#include "cli/CliCommand.h"
#include "cli/CliDocument.h"
#include "cli/CliRun.h"
#include "cli/ModuleLine.h"
#include "cli/TransferProgress.h"
#include "cli/UsageError.h"
#include "core/common/ZoqError.h"
#include "core/device/EepromTransfer.h"
#include "core/image/CompiledImage.h"
#include "core/image/ImageSlots.h"

#include <algorithm>

namespace {

using EepromTransfer::Outcome;

enum class Direction { Download, Upload };

const CliCommand::Argument DocumentArgument{QStringLiteral("DOC.zoq"), QStringLiteral("The document.")};

QString frameName(Direction direction)
{
    return direction == Direction::Download ? QStringLiteral("DOWNLOADALL") : QStringLiteral("UPLOADALL");
}

QString failure(Direction direction, Outcome outcome, const EepromTransfer::Stop &stop, const ModuleLine &line)
{
    switch (outcome) {
    case Outcome::CommandFailed:
        return QStringLiteral("cannot write %1 to %2").arg(frameName(direction), line.portName());
    case Outcome::NoDevice:
        if (stop.slot <= 0 && stop.half <= 0)
            return QStringLiteral("no answer to %1 (module ID %2 on %3)")
                .arg(frameName(direction), QString::number(line.moduleId()), line.portName());
        return QStringLiteral("slot %1: no answer to the %2 half of the slot within %3 s")
            .arg(QString::number(stop.slot), stop.half == 0 ? QStringLiteral("first") : QStringLiteral("second"),
                 QString::number(EepromTransfer::AnswerSeconds));
    case Outcome::TimedOut:
        return QStringLiteral("slot %1: %2 of %3 bytes arrived within %4 s")
            .arg(stop.slot)
            .arg(stop.received)
            .arg(EepromTransfer::SlotSize)
            .arg(EepromTransfer::AnswerSeconds);
    case Outcome::Cancelled:
        return QStringLiteral("stopped by Ctrl+C after slot %1; the module was told to cancel")
            .arg(stop.slot);
    case Outcome::Refused:
    case Outcome::Declined:
    case Outcome::Completed:
        break;
    }
    return QStringLiteral("the transfer did not start");
}

// Runs a transfer with the progress on stderr and Ctrl+C as Cancel. Throws
// ZoqError for every ending but the completed one; afterNote is added to
// that message (what was not written).
void transfer(CliRun &run, Direction direction, EepromTransfer::Callbacks callbacks, const QString &afterNote = {})
{
    ModuleLine line(run);
    // The command itself confirms the transfer the window asks about.
    run.prompt().setQuestions(CliPrompt::Questions::Confirm);
    TransferProgress progress(run);
    callbacks.progress = [&progress](int slot) { progress.slotDone(slot); };
    callbacks.stillRunning = [&line] { return !line.stopRequested(); };
    callbacks.begin = [](const QString &) {};
    callbacks.end = [] {};
    EepromTransfer::Stop stop;
    callbacks.stopped = [&stop](const EepromTransfer::Stop &where) { stop = where; };
    const auto execute = direction == Direction::Download ? &EepromTransfer::download : &EepromTransfer::upload;
    const Outcome outcome = execute(line.link(), run.prompt(), line.moduleId(), callbacks);
    progress.finish();
    if (outcome != Outcome::Completed)
        throw ZoqError(failure(direction, outcome, stop, line) + afterNote);
    run.tell(progress.summary(EepromTransfer::SlotCount));
}

// Slot j belongs to row j + 1; a table with fewer rows gives its last row
// to every slot beyond it, as in the window.
void goToSlotRow(CodeTable &table, int slot)
{
    if (table.recordCount() == 0)
        throw ZoqError(QStringLiteral("The code table has no rows."));
    table.setRecNo(std::min(slot + 1, table.recordCount()));
}

void download(CliRun &run)
{
    const auto document = CliDocument::open(run.argument(0));
    CodeTable &table = document->table();
    EepromTransfer::Callbacks callbacks;
    callbacks.slotSource = [&table](int slot) {
        goToSlotRow(table, slot);
        return slotFromField(table.irData());
    };
    transfer(run, Direction::Download, callbacks);
}

void upload(CliRun &run)
{
    const QString out = run.argument(0);
    const QString into = run.value(QStringLiteral("into"));
    if (out.isEmpty() == into.isEmpty())
        throw UsageError(QStringLiteral("give either OUT.zoq or --into DOC.zoq"));
    const auto document = into.isEmpty() ? CliDocument::createNew() : CliDocument::open(into);
    CodeTable &table = document->table();
    EepromTransfer::Callbacks callbacks;
    callbacks.slotSink = [&table](int slot, const QByteArray &block) {
        goToSlotRow(table, slot);
        storeSlot(table, block);
    };
    transfer(run, Direction::Upload, callbacks, QStringLiteral("; nothing was written"));
    if (into.isEmpty())
        document->saveAs(out);
    else
        document->saveInPlace();
}

// The slots of the image that differ from the module's EEPROM as read back.
// Byte 255 ends a slot's name and always reads back as 0, so it is not compared.
void verify(CliRun &run)
{
    const auto document = CliDocument::open(run.argument(0));
    QByteArray expected = compileImage(document->table());
    QByteArray uploaded(expected.size(), '\0');
    EepromTransfer::Callbacks callbacks;
    callbacks.slotSink = [&uploaded](int slot, const QByteArray &block) {
        uploaded.replace(qsizetype(slot) * EepromTransfer::SlotSize, EepromTransfer::SlotSize, block);
    };
    transfer(run, Direction::Upload, callbacks);

    int differing = 0;
    for (int slot = 0; slot < EepromTransfer::SlotCount; ++slot) {
        const qsizetype start = qsizetype(slot) * EepromTransfer::SlotSize;
        expected[start + 255] = '\0';
        int count = 0;
        int first = -1;
        for (int i = 0; i < EepromTransfer::SlotSize; ++i) {
            if (expected.at(start + i) != uploaded.at(start + i)) {
                ++count;
                first = first < 0 ? i : first;
            }
        }
        if (count == 0)
            continue;
        ++differing;
        const QString bytes = count == 1 ? QStringLiteral("1 byte differs") : QStringLiteral("%1 bytes differ").arg(count);
        run.out() << QStringLiteral("slot %1 (row %2): %3, the first at byte %4").arg(slot).arg(slot + 1).arg(bytes).arg(first)
                  << Qt::endl;
    }
    if (differing > 0)
        throw ZoqError(QStringLiteral("%1 of %2 slots differ from %3")
                           .arg(differing)
                           .arg(EepromTransfer::SlotCount)
                           .arg(run.argument(0)));
    run.tell(QStringLiteral("all %1 slots match %2").arg(EepromTransfer::SlotCount).arg(run.argument(0)));
}

} // namespace

CliCommand downloadCommand()
{
    return {QStringLiteral("download"),
            QStringLiteral("download DOC.zoq --port PORT [--id N]"),
            QStringLiteral("Writes the document's 512 slots into the module's EEPROM."),
            QStringLiteral("Writes the 512 slots of the document into the module's EEPROM at 115200 baud, as "
                           "the window's Download does (a slot is a row's block, a shorter one padded with "
                           "0xFF). Ctrl+C stops after the slot in progress; the line goes back to 9600 baud."),
            {DocumentArgument},
            ModuleLine::options(),
            download};
}

CliCommand uploadCommand()
{
    return {QStringLiteral("upload"),
            QStringLiteral("upload OUT.zoq --port PORT [--id N] | upload --into DOC.zoq --port PORT [--id N]"),
            QStringLiteral("Reads the module's EEPROM into a new document, or into DOC.zoq."),
            QStringLiteral("Reads the 512 slots of the module's EEPROM at 115200 baud, as the window's Up Load "
                           "does, into a new document OUT.zoq or, with --into, into the rows of an existing "
                           "document. The document is written only when all 512 slots have arrived: an upload "
                           "that fails or is stopped with Ctrl+C writes nothing."),
            {{QStringLiteral("OUT.zoq"), QStringLiteral("The new document (replaced when it exists)."), true}},
            ModuleLine::options()
                << QCommandLineOption(QStringLiteral("into"),
                                      QStringLiteral("Replace the rows of this document instead."),
                                      QStringLiteral("DOC.zoq")),
            upload};
}

CliCommand verifyCommand()
{
    return {QStringLiteral("verify"),
            QStringLiteral("verify DOC.zoq --port PORT [--id N]"),
            QStringLiteral("Compares the module's EEPROM with the document."),
            QStringLiteral("Reads the module's EEPROM into memory and compares it slot by slot with the "
                           "document's compiled image. Lists the slots that differ (on stdout) and exits "
                           "with 0 only when all 512 match. Byte 255 of a slot, which ends the key name and "
                           "always reads back as 0, is not compared."),
            {DocumentArgument},
            ModuleLine::options(),
            verify};
}
