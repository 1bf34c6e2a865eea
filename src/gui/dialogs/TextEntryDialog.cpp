#include "gui/dialogs/TextEntryDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Wide enough for a typical entry; long remarks scroll inside the box.
constexpr int MaxVisibleCharacters = 40;

} // namespace

TextEntryDialog::TextEntryDialog(const QString &caption, const QString &label, int maxLength, QWidget *parent)
    : ZoqDialog(caption, parent)
    , m_box(new QLineEdit(this))
    , m_limit(maxLength)
{
    m_box->setMaxLength(maxLength);
    m_box->setMinimumWidth(fontMetrics().averageCharWidth() * qMin(maxLength, MaxVisibleCharacters) + 12);
    auto *prompt = new QLabel(label, this);
    prompt->setBuddy(m_box);

    auto *buttons = new QDialogButtonBox(this);
    m_ok = buttons->addButton(QStringLiteral("Ok"), QDialogButtonBox::AcceptRole);
    m_cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    m_ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(m_box);
    layout->addWidget(buttons);
    setEntryBox(m_box);
}

bool TextEntryDialog::execWith(const QString &text)
{
    setText(text);
    return exec() == QDialog::Accepted;
}

void TextEntryDialog::setText(const QString &text)
{
    // The limit holds for typing only: a longer text given here (a name from
    // an upload or an image, a remark from another tool) stays whole, and the
    // user cannot make it longer than it is.
    m_box->setMaxLength(qMax(m_limit, int(text.size())));
    m_box->setText(text);
}

QString TextEntryDialog::text() const
{
    return m_box->text();
}
