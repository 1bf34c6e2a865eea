#include "core/document/StatementTimeLimit.h"

#include "core/common/ZoqError.h"
#include "core/document/SqliteConnection.h"

#include <sqlite3.h>

namespace {

// Virtual machine steps between two looks at the clock: a few microseconds.
constexpr int StepsBetweenLooks = 1000;

} // namespace

StatementTimeLimit::StatementTimeLimit(const SqliteConnection &connection, int seconds)
    : m_handle(connection.handle())
    , m_seconds(seconds)
    , m_deadline(qint64(seconds) * 1000)
{
    sqlite3_progress_handler(m_handle, StepsBetweenLooks, &StatementTimeLimit::onProgress, this);
}

StatementTimeLimit::~StatementTimeLimit()
{
    end();
}

void StatementTimeLimit::end()
{
    sqlite3_progress_handler(m_handle, 0, nullptr, nullptr);
}

int StatementTimeLimit::onProgress(void *self)
{
    return static_cast<StatementTimeLimit *>(self)->hasExpired() ? 1 : 0;
}

ZoqError StatementTimeLimit::stopped(const QString &doing) const
{
    return ZoqError(QStringLiteral("%1 was stopped: it took longer than %2 seconds.").arg(doing).arg(m_seconds));
}
