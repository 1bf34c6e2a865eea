#include "gui/dialogs/GoToDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

GoToDialog::GoToDialog(QWidget *parent)
    : ZoqDialog(QStringLiteral("Go to"), parent)
    , m_box(new QLineEdit(this))
    , m_byId(new QRadioButton(QStringLiteral("ID"), this))
    , m_byFunction(new QRadioButton(QStringLiteral("Function"), this))
{
    m_box->setMaxLength(MaxLength);
    m_box->setMinimumWidth(fontMetrics().averageCharWidth() * (MaxLength + 4));
    m_byId->setChecked(true);

    auto *choices = new QHBoxLayout;
    choices->addWidget(m_byId);
    choices->addWidget(m_byFunction);
    choices->addStretch();

    auto *buttons = new QDialogButtonBox(this);
    m_go = buttons->addButton(QStringLiteral("Go"), QDialogButtonBox::AcceptRole);
    m_cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    m_go->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_box);
    layout->addLayout(choices);
    layout->addWidget(buttons);
    setEntryBox(m_box);
}

bool GoToDialog::execGoTo()
{
    return exec() == QDialog::Accepted;
}

QString GoToDialog::text() const
{
    return m_box->text();
}

GoToDialog::Choice GoToDialog::choice() const
{
    return m_byFunction->isChecked() ? Choice::Function : Choice::Id;
}
