#pragma once

#include <QDeadlineTimer>
#include <QString>

class SqliteConnection;
class ZoqError;
struct sqlite3;

// Stops every statement that runs on a connection while this object lives
// once the time is up: the engine then ends the statement with an
// "interrupted" error. A crafted document can make a single statement run
// for hours; with this its opening ends after a few seconds.
class StatementTimeLimit final
{
    Q_DISABLE_COPY_MOVE(StatementTimeLimit)

public:
    StatementTimeLimit(const SqliteConnection &connection, int seconds);
    ~StatementTimeLimit();

    // Statements from now on run without limit (a rollback must not be stopped).
    void end();
    // The time is up: a statement that failed since was stopped here.
    [[nodiscard]] bool hasExpired() const { return m_deadline.hasExpired(); }
    // "<doing> was stopped: it took longer than <n> seconds."
    [[nodiscard]] ZoqError stopped(const QString &doing) const;

private:
    static int onProgress(void *self);

    sqlite3 *m_handle;
    int m_seconds;
    QDeadlineTimer m_deadline;
};
