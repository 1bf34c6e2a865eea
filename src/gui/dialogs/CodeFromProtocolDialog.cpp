#include "gui/dialogs/CodeFromProtocolDialog.h"

#include "core/common/NumberText.h"
#include "core/signal/IrDecoder.h"
#include "core/signal/IrEncoder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString hexRange(quint32 low, quint32 high)
{
    return QStringLiteral("0x%1..0x%2").arg(QString::number(low, 16).toUpper(), QString::number(high, 16).toUpper());
}

} // namespace

CodeFromProtocolDialog::CodeFromProtocolDialog(QWidget *parent)
    : ZoqDialog(QStringLiteral("New code from protocol"), parent)
    , m_protocolBox(new QComboBox(this))
    , m_addressBox(new QLineEdit(QStringLiteral("0x00"), this))
    , m_commandBox(new QLineEdit(QStringLiteral("0x00"), this))
    , m_toggleBox(new QCheckBox(QStringLiteral("Toggle bit set"), this))
    , m_rangeLabel(new QLabel(this))
    , m_resultLabel(new QLabel(this))
{
    for (const IrProtocol protocol : allIrProtocols())
        m_protocolBox->addItem(irProtocolName(protocol), int(protocol));
    m_resultLabel->setWordWrap(true);
    m_resultLabel->setMinimumWidth(fontMetrics().averageCharWidth() * 40);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Protocol:"), m_protocolBox);
    form->addRow(QStringLiteral("Address:"), m_addressBox);
    form->addRow(QStringLiteral("Command:"), m_commandBox);
    form->addRow(QString(), m_toggleBox);
    form->addRow(QString(), m_rangeLabel);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_resultLabel);
    layout->addWidget(buttons);

    connect(m_protocolBox, &QComboBox::currentIndexChanged, this, [this] { onProtocolChosen(); });
    connect(m_addressBox, &QLineEdit::textChanged, this, [this] { refreshPreview(); });
    connect(m_commandBox, &QLineEdit::textChanged, this, [this] { refreshPreview(); });
    connect(m_toggleBox, &QCheckBox::toggled, this, [this] { refreshPreview(); });
    setEntryBox(m_addressBox);
    onProtocolChosen();
}

bool CodeFromProtocolDialog::execChoose()
{
    return exec() == QDialog::Accepted;
}

IrProtocol CodeFromProtocolDialog::protocol() const
{
    return IrProtocol(m_protocolBox->currentData().toInt());
}

std::optional<IrCode> CodeFromProtocolDialog::code() const
{
    const std::optional<quint32> address = parseWholeNumber(m_addressBox->text());
    const std::optional<quint32> command = parseWholeNumber(m_commandBox->text());
    if (!address || !command)
        return std::nullopt;
    IrCode code;
    code.protocol = protocol();
    code.address = *address;
    code.command = *command;
    code.toggle = m_toggleBox->isEnabled() && m_toggleBox->isChecked();
    return code;
}

void CodeFromProtocolDialog::showEvent(QShowEvent *event)
{
    ZoqDialog::showEvent(event);
    refreshPreview();
}

void CodeFromProtocolDialog::onProtocolChosen()
{
    const IrProtocolInfo &info = irProtocolInfo(protocol());
    m_toggleBox->setEnabled(info.hasToggle);
    m_rangeLabel->setText(QStringLiteral("address %1, command %2")
                              .arg(hexRange(0, info.addressMax), hexRange(info.commandMin, info.commandMax)));
    refreshPreview();
}

void CodeFromProtocolDialog::refreshPreview()
{
    const std::optional<IrCode> chosen = code();
    m_ok->setEnabled(chosen.has_value());
    if (!chosen) {
        m_resultLabel->setText(QStringLiteral("Address and command are numbers: decimal, or hex after 0x."));
        emit previewChanged({});
        return;
    }
    const IrResult<IrBlock> block = IrEncoder::block(*chosen);
    if (!block.isOk()) {
        m_resultLabel->setText(block.error());
        emit previewChanged({});
        return;
    }
    m_resultLabel->setText(IrDecoder::summary(block.value()));
    emit previewChanged(block.value().toByteArray());
}
