#pragma once

#include "dialogs/TextEntryDialog.h"

// Asks for the remark of a row (up to 80 characters).
class TfmRemark final : public TextEntryDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfmRemark)

public:
    static constexpr int MaxLength = 80;

    explicit TfmRemark(QWidget *parent = nullptr);
};
