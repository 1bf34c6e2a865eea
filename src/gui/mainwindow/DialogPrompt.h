#pragma once

#include "core/common/Prompt.h"

class QWidget;

// The prompt interface shown with Qt's own message boxes and file dialogs.
class DialogPrompt final : public Prompt
{
public:
    // Questions and notices are owned by owner (may be null); the two
    // serial-port error boxes pass no owner on purpose.
    explicit DialogPrompt(QWidget *owner = nullptr);

    void setOwner(QWidget *owner) { m_owner = owner; }

    void notice(const QString &title, const QString &text) override;
    bool askYesNo(const QString &title, const QString &text) override;
    Answer askYesNoCancel(const QString &title, const QString &text) override;
    // Shown modal to the owner window only, so its caller's wait goes on.
    void askYesNoLater(const QString &title, const QString &text, std::function<void(bool yes)> answered) override;
    QString openFileName(const QString &filter) override;
    QString saveFileName(const QString &filter, const QString &proposedName) override;
    QString saveFileNameAndFilter(const QString &filter, const QString &proposedName, int *chosenFilter) override;

    // "*.zoq|*.zoq|*.bin|*.bin" -> "*.zoq (*.zoq);;*.bin (*.bin)"
    [[nodiscard]] static QString qtFilter(const QString &filter);

private:
    QWidget *m_owner;
};
