#include "dialogs/TfmFuncEdit.h"

TfmFuncEdit::TfmFuncEdit(QWidget *parent)
    : TextEntryDialog(QStringLiteral("Function Name"), QStringLiteral("Function name:"), MaxLength, parent)
{
}
