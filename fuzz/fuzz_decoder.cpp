// The protocol decoders over any block: every capture is decoded, and the
// summary the grid and the tool tips show is built.

#include "FuzzSupport.h"

#include "core/signal/IrBlock.h"
#include "core/signal/IrDecoder.h"

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    FuzzSupport::startApplication(argc, argv, false);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const IrBlock block = IrBlock::fromField(FuzzSupport::bytes(data, size));
    const IrDecode decoded = IrDecoder::decode(block);
    if (decoded.summary().isEmpty() != (decoded.kind == IrDecode::Kind::Empty))
        FuzzSupport::finding("a block that holds a signal has no summary");
    return 0;
}
