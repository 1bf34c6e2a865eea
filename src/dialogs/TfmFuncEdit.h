#pragma once

#include "dialogs/TextEntryDialog.h"

// Asks for the function name of a key (up to 12 characters).
class TfmFuncEdit final : public TextEntryDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfmFuncEdit)

public:
    static constexpr int MaxLength = 12;

    explicit TfmFuncEdit(QWidget *parent = nullptr);
};
