#include "core/settings/NameEncodingFile.h"

#include "core/settings/IniFile.h"
#include "core/common/ZoqError.h"

#include <QDir>
#include <QSaveFile>

namespace NameEncodingFile {
namespace {

const QString Section = QStringLiteral("NAMES");
const QString Key = QStringLiteral("ENCODING");

[[nodiscard]] QString failureText(const QString &path, const QString &reason)
{
    return QStringLiteral("Cannot write the name encoding file \"%1\": %2")
        .arg(QDir::toNativeSeparators(path), reason);
}

} // namespace

QString path(const QString &programDir)
{
    return QDir(programDir).filePath(QStringLiteral("ZOQ-names.ini"));
}

NameEncoding::Kind read(const QString &path)
{
    const QString label = IniFile::load(path).readString(Section, Key, QString());
    return NameEncoding::fromLabel(label).value_or(NameEncoding::Kind::Latin1);
}

QByteArray text(NameEncoding::Kind kind)
{
    return QStringLiteral("[%1]\r\n%2=%3\r\n").arg(Section, Key, NameEncoding(kind).label()).toLatin1();
}

void write(const QString &path, NameEncoding::Kind kind)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw ZoqError(failureText(path, file.errorString()));
    const QByteArray bytes = text(kind);
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        throw ZoqError(failureText(path, reason));
    }
    if (!file.commit())
        throw ZoqError(failureText(path, file.errorString()));
}

} // namespace NameEncodingFile
