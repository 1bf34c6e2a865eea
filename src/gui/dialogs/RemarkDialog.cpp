#include "gui/dialogs/RemarkDialog.h"

RemarkDialog::RemarkDialog(QWidget *parent)
    : TextEntryDialog(QStringLiteral("Remark"), QStringLiteral("Remark:"), MaxLength, parent)
{
}
