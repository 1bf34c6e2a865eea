#include "gui/dialogs/FunctionNameDialog.h"

FunctionNameDialog::FunctionNameDialog(QWidget *parent)
    : TextEntryDialog(QStringLiteral("Function Name"), QStringLiteral("Function name:"), MaxLength, parent)
{
}
