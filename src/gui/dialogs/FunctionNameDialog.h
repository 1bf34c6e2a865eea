#pragma once

#include "gui/dialogs/TextEntryDialog.h"

// Asks for the function name of a key (up to 12 characters).
class FunctionNameDialog final : public TextEntryDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FunctionNameDialog)

public:
    static constexpr int MaxLength = 12;

    explicit FunctionNameDialog(QWidget *parent = nullptr);
};
