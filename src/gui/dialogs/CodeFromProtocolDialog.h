#pragma once

#include "core/signal/IrCode.h"
#include "gui/dialogs/ZoqDialog.h"

#include <QByteArray>

#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// "New code from protocol...": a protocol, an address, a command and, for
// protocols that have one, the toggle. Numbers are decimal or 0x hex. While
// it is open every change offers the block these parameters make as a
// preview (or says why they make none). The choice stays as the user left it
// from one use to the next.
class CodeFromProtocolDialog final : public ZoqDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CodeFromProtocolDialog)

public:
    explicit CodeFromProtocolDialog(QWidget *parent = nullptr);

    // Runs the dialog modally; true when it ended with OK, which needs an
    // address and a command that are numbers.
    [[nodiscard]] bool execChoose();
    // The parameters as they stand; nothing while address or command is not
    // a number. The code itself may still be out of its protocol's range.
    [[nodiscard]] std::optional<IrCode> code() const;

    [[nodiscard]] QComboBox *protocolBox() const { return m_protocolBox; }
    [[nodiscard]] QLineEdit *addressBox() const { return m_addressBox; }
    [[nodiscard]] QLineEdit *commandBox() const { return m_commandBox; }
    [[nodiscard]] QCheckBox *toggleBox() const { return m_toggleBox; }
    [[nodiscard]] QLabel *resultLabel() const { return m_resultLabel; }
    [[nodiscard]] QPushButton *okButton() const { return m_ok; }

signals:
    // The block of the parameters as they stand, or an empty array when they
    // make none.
    void previewChanged(const QByteArray &block);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void onProtocolChosen();
    void refreshPreview();
    [[nodiscard]] IrProtocol protocol() const;

    QComboBox *m_protocolBox;
    QLineEdit *m_addressBox;
    QLineEdit *m_commandBox;
    QCheckBox *m_toggleBox;
    QLabel *m_rangeLabel;
    QLabel *m_resultLabel;
    QPushButton *m_ok;
};
