#include "store/statement.h"

#include "shell/codec.h"
#include "store/database.h"
#include "store/schema.h"

#include <QSqlQuery>
#include <QVariant>

#include <sqlite3.h>

namespace store {

Statement::Statement(QSqlDatabase db, const QString& sql) : m_db(SqliteHandle(db))
{
    if (!m_db) {
        m_error = QSqlError(QStringLiteral("No SQLite connection"), {}, QSqlError::ConnectionError);
        return;
    }
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v3(m_db, text.constData(), int(text.size()), SQLITE_PREPARE_PERSISTENT,
                           &m_stmt, nullptr) != SQLITE_OK) {
        failed(sqlite3_extended_errcode(m_db));
        m_error = QSqlError(QStringLiteral("Unable to prepare statement"), m_error.databaseText(),
                            QSqlError::StatementError, m_error.nativeErrorCode());
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
    }
}

Statement::~Statement()
{
    sqlite3_finalize(m_stmt);
}

bool Statement::failed(int code)
{
    m_error =
        QSqlError(QStringLiteral("Unable to fetch row"), QString::fromUtf8(sqlite3_errmsg(m_db)),
                  QSqlError::StatementError, QString::number(code));
    return false;
}

void Statement::bind(int i, qint64 value)
{
    reset();
    sqlite3_bind_int64(m_stmt, i, value);
}

void Statement::bind(int i, const QString& value)
{
    if (value.isNull())
        bindNull(i);
    else
        bindUtf8(i, value.toUtf8());
}

void Statement::bindUtf8(int i, const QByteArray& utf8)
{
    reset();
    sqlite3_bind_text(m_stmt, i, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

void Statement::bindNull(int i)
{
    reset();
    sqlite3_bind_null(m_stmt, i);
}

void Statement::reset()
{
    if (m_running && m_stmt)
        sqlite3_reset(m_stmt);
    m_running = false;
}

bool Statement::exec()
{
    if (!m_stmt)
        return false;
    reset();
    m_running = true;
    int rc;
    do
        rc = sqlite3_step(m_stmt);
    while (rc == SQLITE_ROW);
    const bool ok = rc == SQLITE_DONE || failed(sqlite3_extended_errcode(m_db));
    // Reset at once: a finished write keeps no cursor open.
    sqlite3_reset(m_stmt);
    m_running = false;
    return ok;
}

bool Statement::next()
{
    if (!m_stmt)
        return false;
    m_running = true;
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    m_error = QSqlError();
    if (rc != SQLITE_DONE)
        failed(sqlite3_extended_errcode(m_db));
    sqlite3_reset(m_stmt);
    m_running = false;
    return false;
}

qint64 Statement::int64(int column) const
{
    return sqlite3_column_int64(m_stmt, column);
}

QString Statement::text(int column) const
{
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    return data ? QString::fromUtf8(data, sqlite3_column_bytes(m_stmt, column)) : QString();
}

bool Statement::isNull(int column) const
{
    return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

TextLimitsSetAside::TextLimitsSetAside(QSqlDatabase db, const QString& table,
                                       const QStringList& columns)
    : m_db(std::move(db)), m_table(table), m_columns(columns)
{
    const TableDef* t = FindTable(table);
    QSqlQuery q(m_db);
    for (const QString& c : m_columns) {
        const FieldDef* f = t ? t->field(c) : nullptr;
        if (!f || f->type != FieldType::String)
            continue;
        m_aside = true;
        if (!q.exec(DropByteLimitUpdateTriggerSql(*t, *f))) {
            m_error = q.lastError();
            return;
        }
    }
}

TextLimitsSetAside::~TextLimitsSetAside()
{
    restore();
}

bool TextLimitsSetAside::check(const QString& column, const QString& value)
{
    const TableDef* t = FindTable(m_table);
    const FieldDef* f = t ? t->field(column) : nullptr;
    if (!f || f->type != FieldType::String || value.isNull() || value.toUtf8().size() <= f->size ||
        shell::Cp949Length(value) <= f->size)
        return true;
    m_error = QSqlError(QStringLiteral("Unable to fetch row"), ByteLimitMessage(t->name, f->name),
                        QSqlError::StatementError, QString::number(SQLITE_CONSTRAINT_TRIGGER));
    return false;
}

bool TextLimitsSetAside::restore()
{
    if (!m_aside)
        return ok();
    m_aside = false;
    const TableDef* t = FindTable(m_table);
    QSqlQuery q(m_db);
    for (const QString& c : m_columns) {
        const FieldDef* f = t->field(c);
        if (f && f->type == FieldType::String && !q.exec(ByteLimitUpdateTriggerSql(*t, *f))) {
            m_error = q.lastError();
            return false;
        }
    }
    return ok();
}

} // namespace store
