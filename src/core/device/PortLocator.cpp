#include "core/device/PortLocator.h"

#include <QDir>
#include <QFileInfo>

namespace {

// The target of path when it leads to something, else path itself.
QString followed(const QString &path)
{
    const QString target = QFileInfo(path).canonicalFilePath();
    return target.isEmpty() ? path : target;
}

} // namespace

int PortLocator::comNumber(const QString &name)
{
    // "COM" and a number without a leading zero; plain character tests keep
    // the regular expression engine off the start-up path.
    if (!name.startsWith(QLatin1StringView("COM")))
        return 0;
    const QStringView digits = QStringView(name).mid(3);
    if (digits.isEmpty() || digits.front() == u'0')
        return 0;
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9')
            return 0;
    }
    bool ok = false;
    const int number = digits.toInt(&ok);
    return ok ? number : 0;
}

PortLocator::Location PortLocator::locate(const QString &name) const
{
    const int number = comNumber(name);
    if (number == 0)
        return {name, Source::AsGiven, QString()};
    for (const QString &folder : m_linkFolders) {
        const QFileInfo link(QDir(folder).filePath(name));
        // A dangling link still names the port the user meant.
        if (link.exists() || link.isSymLink())
            return {followed(link.absoluteFilePath()), Source::Link, link.absoluteFilePath()};
    }
    const QString assigned = m_assignments.device(number);
    if (!assigned.isEmpty())
        return {followed(assigned), Source::Assignment, assigned};
    return {QStringLiteral("/dev/ttyS%1").arg(number - 1), Source::Standard, QString()};
}
