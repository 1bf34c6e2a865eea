// Code files of other tools (Pronto Hex, Flipper .ir, LIRC, mode2, CSV): the
// recogniser and every reader over the same bytes. Each key a reader takes
// is made into a block as Import makes it; the block, written back in that
// format as Export writes it, must read again with as many keys.

#include "FuzzSupport.h"

#include "core/formats/CodeExport.h"
#include "core/formats/CodeFormat.h"
#include "core/formats/CodeImport.h"

namespace {

void checkRewrite(CodeFormat format, const CodedKey &read)
{
    const IrResult<IrBlock> block = CodeImport::blockFor(read);
    if (!block.isOk())
        return;
    CodedKey key = CodeExport::keyOf(block.value());
    key.name = read.name;
    const CodeFileOutput output = writeCodes(format, {key}, {QStringLiteral("fuzz")});
    if (output.written == 0)
        return;
    const IrResult<CodeFile> again = readCodes(format, output.bytes);
    if (!again.isOk())
        FuzzSupport::finding("a written code file does not read back");
    if (again.value().keys.size() + again.value().refused.size() != output.written)
        FuzzSupport::finding("a written code file reads back with another number of keys");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    FuzzSupport::startApplication(argc, argv, false);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = FuzzSupport::bytes(data, size);
    (void)recogniseCodeFormat(bytes);
    for (const CodeFormat format : allCodeFormats()) {
        const IrResult<CodeFile> file = readCodes(format, bytes);
        if (!file.isOk())
            continue;
        // The first keys are enough: a long file repeats the same paths.
        const QList<CodedKey> keys = file.value().keys.mid(0, 4);
        for (const CodedKey &key : keys)
            checkRewrite(format, key);
    }
    return 0;
}
