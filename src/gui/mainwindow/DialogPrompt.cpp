#include "gui/mainwindow/DialogPrompt.h"

#include <QFileDialog>
#include <QMessageBox>

namespace {

// The serial-port boxes are shown without an owner window.
bool isOwnerless(const QString &title)
{
    return title == QLatin1String("Open Error") || title == QLatin1String("Set Error");
}

} // namespace

DialogPrompt::DialogPrompt(QWidget *owner)
    : m_owner(owner)
{
}

void DialogPrompt::notice(const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, isOwnerless(title) ? nullptr : m_owner);
    box.exec();
}

bool DialogPrompt::askYesNo(const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Yes | QMessageBox::No, m_owner);
    return box.exec() == QMessageBox::Yes;
}

Prompt::Answer DialogPrompt::askYesNoCancel(const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, title, text,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, m_owner);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

void DialogPrompt::askYesNoLater(const QString &title, const QString &text, std::function<void(bool yes)> answered)
{
    auto *box = new QMessageBox(QMessageBox::NoIcon, title, text, QMessageBox::Yes | QMessageBox::No, m_owner);
    box->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(box, &QMessageBox::finished, box, [box, answered = std::move(answered)] {
        answered(box->clickedButton() == box->button(QMessageBox::Yes));
    });
    box->open();
}

QString DialogPrompt::openFileName(const QString &filter)
{
    return QFileDialog::getOpenFileName(m_owner, QString(), QString(), qtFilter(filter));
}

QString DialogPrompt::saveFileName(const QString &filter, const QString &proposedName)
{
    int chosenFilter = -1;
    return saveFileNameAndFilter(filter, proposedName, &chosenFilter);
}

QString DialogPrompt::saveFileNameAndFilter(const QString &filter, const QString &proposedName, int *chosenFilter)
{
    // The replace question is the program's own, asked after the name is chosen.
    const QString filters = qtFilter(filter);
    QString selected;
    const QString path = QFileDialog::getSaveFileName(m_owner, QString(), proposedName, filters, &selected,
                                                      QFileDialog::DontConfirmOverwrite);
    *chosenFilter = int(filters.split(QStringLiteral(";;")).indexOf(selected));
    return path;
}

QString DialogPrompt::qtFilter(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        entries.append(QStringLiteral("%1 (%2)").arg(parts[i], QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' '))));
    return entries.join(QStringLiteral(";;"));
}
