// compile and import-bin: the window's Compile and its ".bin" import.

#include "cli/CliCommand.h"
#include "cli/CliDocument.h"
#include "cli/CliRun.h"
#include "core/image/CompiledImage.h"

namespace {

void compile(CliRun &run)
{
    const auto document = CliDocument::open(run.argument(0));
    writeImageFile(document->table(), run.argument(1));
}

void importBin(CliRun &run)
{
    // The whole image is read and checked before anything is made of it.
    const QByteArray image = readImageFile(run.argument(0));
    const auto document = CliDocument::createNew();
    importImage(document->table(), image);
    document->saveAs(run.argument(1));
}

} // namespace

CliCommand compileCommand()
{
    return {QStringLiteral("compile"),
            QStringLiteral("compile DOC.zoq OUT.bin"),
            QStringLiteral("Writes the document's 262,144-byte EEPROM image."),
            QStringLiteral("Writes the compiled image as the window's Compile does: slot i is row i's 512-byte "
                           "block, a shorter block padded with 0xFF. OUT.bin is written whole or not at all "
                           "and replaced when it exists; its name is taken as given."),
            {{QStringLiteral("DOC.zoq"), QStringLiteral("The document.")},
             {QStringLiteral("OUT.bin"), QStringLiteral("The image to write.")}},
            {},
            compile};
}

CliCommand importBinCommand()
{
    return {QStringLiteral("import-bin"),
            QStringLiteral("import-bin IN.bin OUT.zoq"),
            QStringLiteral("Makes a new document of a 262,144-byte image."),
            QStringLiteral("Imports a compiled image into a new document as the window's Open does with a "
                           ".bin file: slot i into row i, byte 255 set to 0, the name read from byte 240. "
                           "An image shorter than 262,144 bytes is refused; a longer one is read up to there. "
                           "OUT.zoq is written whole or not at all, and replaced when it exists."),
            {{QStringLiteral("IN.bin"), QStringLiteral("The image.")},
             {QStringLiteral("OUT.zoq"), QStringLiteral("The document to write.")}},
            {},
            importBin};
}
