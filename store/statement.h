#pragma once

#include <QByteArray>
#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QStringList>

struct sqlite3;
struct sqlite3_stmt;

namespace store {

// One statement prepared on the connection's own SQLite handle and run many
// times: for the runs over every line of a month (the request and result
// files), where binding through QSqlQuery costs more than the engine's work.
// The connection's triggers, checks and transaction apply as to any other
// write; lastError() is told by ClassifyError like QSqlQuery's.
class Statement
{
public:
    Statement(QSqlDatabase db, const QString& sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool isValid() const { return m_stmt != nullptr; }
    // Binds the 1-based parameter `i`.
    void bind(int i, qint64 value);
    void bind(int i, const QString& value);
    void bindUtf8(int i, const QByteArray& utf8); // copied
    void bindNull(int i);
    // Runs the statement to its end (a write); false with lastError() set.
    bool exec();
    // Steps a query: true while a row is there; false at the end or on an
    // error (lastError() tells which).
    bool next();
    // Makes the statement ready to run again (bindings kept).
    void reset();
    qint64 int64(int column) const;
    QString text(int column) const;
    bool isNull(int column) const;
    QSqlError lastError() const { return m_error; }

private:
    bool failed(int code);

    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_stmt = nullptr;
    bool m_running = false;
    QSqlError m_error;
};

// For an UPDATE that sets the same texts on many rows (the answer written to
// the lines of a month): the values are checked against their columns'
// byte limits once, by check(), and the columns' per-row triggers are set
// aside meanwhile; a trigger that fires costs more than the row's write.
// Made and ended inside the caller's transaction: a rollback brings the
// triggers back as well.
class TextLimitsSetAside
{
public:
    TextLimitsSetAside(QSqlDatabase db, const QString& table, const QStringList& columns);
    ~TextLimitsSetAside(); // restore() when not done
    TextLimitsSetAside(const TextLimitsSetAside&) = delete;
    TextLimitsSetAside& operator=(const TextLimitsSetAside&) = delete;

    bool ok() const { return !m_error.isValid(); }
    // False with error() set, as the trigger refuses it, when `value` is
    // beyond the limit of `column`.
    bool check(const QString& column, const QString& value);
    // Puts the triggers back; false with error() set when it cannot.
    bool restore();
    QSqlError error() const { return m_error; }

private:
    QSqlDatabase m_db;
    QString m_table;
    QStringList m_columns;
    bool m_aside = false;
    QSqlError m_error;
};

} // namespace store
