#include "dialogs/TfmRemark.h"

TfmRemark::TfmRemark(QWidget *parent)
    : TextEntryDialog(QStringLiteral("Remark"), QStringLiteral("Remark:"), MaxLength, parent)
{
}
