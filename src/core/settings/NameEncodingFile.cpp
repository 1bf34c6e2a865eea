#include "core/settings/NameEncodingFile.h"

#include "core/common/SafeFile.h"
#include "core/common/ZoqError.h"
#include "core/settings/IniFile.h"

#include <QDir>

namespace NameEncodingFile {
namespace {

const QString Section = QStringLiteral("NAMES");
const QString Key = QStringLiteral("ENCODING");

} // namespace

QString path(const QString &programDir)
{
    return QDir(programDir).filePath(QStringLiteral("ZOQ-names.ini"));
}

NameEncoding::Kind read(const QString &path, QString *refusal)
{
    const QString label = IniFile::load(path, refusal).readString(Section, Key, QString());
    return NameEncoding::fromLabel(label).value_or(NameEncoding::Kind::Latin1);
}

QByteArray text(NameEncoding::Kind kind)
{
    return QStringLiteral("[%1]\r\n%2=%3\r\n").arg(Section, Key, NameEncoding(kind).label()).toLatin1();
}

void write(const QString &path, NameEncoding::Kind kind)
{
    SafeFile::write(path, text(kind));
}

} // namespace NameEncodingFile
