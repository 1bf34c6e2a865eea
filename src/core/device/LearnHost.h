#pragma once

#include "core/signal/IrBlock.h"

#include <QByteArray>
#include <QList>

// What a learn run needs from the main window. Rows are numbered as the
// code table numbers them (from 1).
class LearnHost
{
public:
    virtual ~LearnHost() = default;

    // Detach and attach again the row-change handler, so that walking the
    // selected rows neither redraws nor clears the selection.
    virtual void detachRowChangeHook() = 0;
    virtual void attachRowChangeHook() = 0;
    // The selected rows in table order; when none is selected, the current
    // row is selected and returned.
    [[nodiscard]] virtual QList<int> selectedRows() = 0;
    virtual void makeCurrent(int row) = 0;
    // The name bytes for a block learned into the current row: its
    // "Function" text in the name encoding of the blocks. Throws ZoqError
    // when the text holds a character that encoding cannot store.
    [[nodiscard]] virtual QByteArray currentNameBytes() = 0;
    // Stores the block into "IR Data" of the current row and posts it.
    virtual void storeBlock(const IrBlock &block) = 0;
    virtual void drawWave(bool roll) = 0;
    virtual void scrollWaveToStart() = 0;
    // true: caption "Stop", every control of the window disabled but the
    // learn button. false: caption "IR Learn", every control enabled.
    virtual void setCapturing(bool capturing) = 0;
};
