#pragma once

#include "core/document/CodeTable.h"

#include <QString>
#include <QTemporaryDir>

#include <memory>

// A document as the command line uses it: an existing ".zoq" opened with its
// code table, or a new one from the template in a temporary folder. Every
// post derives the row from its block, as in the window. Saving is the
// window's Save: into the document's own file, only the posted changes, in
// one transaction; under another name, a new file built beside the target
// and renamed over it when complete. Nothing is written unless saved.
// Key names are read and written in the name encoding the window uses
// (ZOQ-names.ini beside the program).
class CliDocument final
{
    Q_DISABLE_COPY_MOVE(CliDocument)

public:
    // Throws ZoqError when path cannot be opened as a document.
    [[nodiscard]] static std::unique_ptr<CliDocument> open(const QString &path);
    [[nodiscard]] static std::unique_ptr<CliDocument> createNew();
    ~CliDocument();

    [[nodiscard]] CodeTable &table() { return m_table; }
    [[nodiscard]] const QString &path() const { return m_path; }

    void saveInPlace();
    void saveAs(const QString &target);

private:
    CliDocument();
    void openTable(const QString &path);

    std::unique_ptr<QTemporaryDir> m_workingDir;
    CodeTable m_table;
    QString m_path;
};
