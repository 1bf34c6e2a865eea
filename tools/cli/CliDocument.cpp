#include "cli/CliDocument.h"

#include "core/common/FileLocations.h"
#include "core/common/ZoqError.h"
#include "core/document/DerivePostedRow.h"
#include "core/document/DocumentStore.h"
#include "core/settings/NameEncodingFile.h"

#include <QCoreApplication>
#include <QFileInfo>

CliDocument::CliDocument()
{
    m_table.setAfterPost([this] { derivePostedRow(m_table); });
    m_table.setNameEncoding(
        NameEncoding(NameEncodingFile::read(NameEncodingFile::path(FileLocations::forRunningProgram().configDir()))));
}

CliDocument::~CliDocument()
{
    m_table.close();
}

std::unique_ptr<CliDocument> CliDocument::open(const QString &path)
{
    // Opening a path that is not there would make an empty database of it.
    if (!QFileInfo(path).isFile())
        throw ZoqError(QStringLiteral("%1: no such document").arg(path));
    std::unique_ptr<CliDocument> document(new CliDocument);
    document->openTable(path);
    return document;
}

std::unique_ptr<CliDocument> CliDocument::createNew()
{
    std::unique_ptr<CliDocument> document(new CliDocument);
    document->m_workingDir = std::make_unique<QTemporaryDir>();
    if (!document->m_workingDir->isValid())
        throw ZoqError(QStringLiteral("cannot make a temporary folder: %1").arg(document->m_workingDir->errorString()));
    const QString working = document->m_workingDir->filePath(QStringLiteral("Temp.~tmp"));
    DocumentStore::writeTemplate(working);
    document->openTable(working);
    return document;
}

void CliDocument::openTable(const QString &path)
{
    m_table.open(path);
    m_path = path;
}

void CliDocument::saveInPlace()
{
    m_table.updateBatch();
}

void CliDocument::saveAs(const QString &target)
{
    DocumentStore::saveAs(m_table, target);
}
