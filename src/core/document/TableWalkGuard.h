#pragma once

#include "core/document/CodeTable.h"

#include <QFlags>

// Detaches the table's hooks and suspends its bound views while a bulk
// operation walks the rows. Everything is put back when the guard leaves its
// scope, also when an error escapes the walk, so no hook stays detached.
class TableWalkGuard final
{
    Q_DISABLE_COPY_MOVE(TableWalkGuard)

public:
    enum Part {
        AfterRowChange = 0x1,
        AfterPost = 0x2,
        Views = 0x4,
    };
    Q_DECLARE_FLAGS(Parts, Part)

    TableWalkGuard(CodeTable &table, Parts parts);
    ~TableWalkGuard();

private:
    CodeTable &m_table;
    CodeTable::Hook m_afterRowChange;
    CodeTable::Hook m_afterPost;
    bool m_detachedRowChange = false;
    bool m_detachedPost = false;
    bool m_suspendedViews = false;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TableWalkGuard::Parts)
