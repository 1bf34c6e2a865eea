#pragma once

#include "gui/dialogs/TextEntryDialog.h"

// Asks for the remark of a row (up to 80 characters).
class RemarkDialog final : public TextEntryDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RemarkDialog)

public:
    static constexpr int MaxLength = 80;

    explicit RemarkDialog(QWidget *parent = nullptr);
};
