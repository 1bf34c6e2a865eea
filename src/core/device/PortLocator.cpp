#include "core/device/PortLocator.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

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
    static const QRegularExpression comName(QStringLiteral("^COM([1-9][0-9]*)$"));
    const QRegularExpressionMatch match = comName.match(name);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
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
