#include "store/database.h"

#include "shell/codec.h"
#include "store/schema.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlQuery>

#include <sqlite3.h>

namespace store {
namespace {

QString EngineText(const QSqlError& error)
{
    const QString text = error.databaseText().trimmed();
    return text.isEmpty() ? error.text().trimmed() : text;
}

void cp949Len(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (argc != 1 || sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const int bytes = sqlite3_value_bytes(argv[0]);
    sqlite3_result_int(ctx, shell::Cp949Length(QString::fromUtf8(text, bytes)));
}

} // namespace

sqlite3* SqliteHandle(const QSqlDatabase& db)
{
    const QVariant v = db.driver() ? db.driver()->handle() : QVariant();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(v.constData());
}

bool RegisterFunctions(QSqlDatabase& db)
{
    sqlite3* h = SqliteHandle(db);
    if (!h)
        return false;
    return sqlite3_create_function_v2(h, "cp949_len", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
                                      nullptr, cp949Len, nullptr, nullptr, nullptr) == SQLITE_OK;
}

platform::Result<> InstallByteLimits(QSqlDatabase& db)
{
    QSqlQuery q(db);
    for (const TableDef& t : Tables()) {
        QStringList present;
        q.prepare("SELECT name FROM pragma_table_info(:t)");
        q.bindValue(":t", t.name);
        if (!q.exec())
            return platform::Fail(ReadFailureMessage(q.lastError()));
        while (q.next())
            present.append(q.value(0).toString());
        if (q.lastError().isValid())
            return platform::Fail(ReadFailureMessage(q.lastError()));
        q.finish();
        // Dropped first: the columns may have changed since.
        QStringList statements = DropByteLimitTriggerSql(t);
        if (!present.isEmpty())
            statements += ByteLimitTriggerSql(t, present);
        if (platform::Result<> done = ExecStatements(db, statements); !done)
            return done;
    }
    return {};
}

platform::Result<> OpenDatabase(const QString& connectionName, const QString& file, bool mustExist)
{
    const QString shown = QFileInfo(file).absoluteFilePath();
    if (mustExist && !QFileInfo::exists(file))
        return platform::Fail("자료 파일이 없습니다.\r" + shown);

    QSqlDatabase db = QSqlDatabase::contains(connectionName)
                          ? QSqlDatabase::database(connectionName, false)
                          : QSqlDatabase::addDatabase("QSQLITE", connectionName);
    db.close();
    db.setDatabaseName(file);
    db.setConnectOptions("QSQLITE_BUSY_TIMEOUT=3000");
    if (!db.open())
        return platform::Fail("자료 파일을 열 수 없습니다.\r" + shown + "\r" +
                              db.lastError().text());
    if (!RegisterFunctions(db)) {
        db.close();
        return platform::Fail("자료 파일을 열 수 없습니다.\r" + shown);
    }

    // Reading the schema tells a foreign file; a write that needs the rollback
    // journal beside the file (the header's user version set to what it is,
    // then rolled back) tells a read-only file or folder, a full disk or a
    // locked file — before anything is changed. Taking the lock alone
    // creates no journal and lets a read-only folder pass.
    QSqlQuery q(db);
    const auto refusal = [&](const QSqlQuery& failed) {
        const QSqlError error = failed.lastError();
        const int code = error.nativeErrorCode().toInt() & 0xFF;
        if (code == SQLITE_BUSY || code == SQLITE_LOCKED)
            return "자료 파일을 다른 프로그램이 사용하고 있습니다.\r" + shown;
        // A writable file in a folder that takes no journal: the folder.
        if (code == SQLITE_READONLY || code == SQLITE_CANTOPEN || code == SQLITE_PERM)
            return QFileInfo(shown).isWritable()
                       ? ReadOnlyMessage(QFileInfo(shown).absolutePath())
                       : "자료 파일에 쓸 수 없습니다. (읽기 전용)\r" + shown;
        if (code == SQLITE_NOTADB || code == SQLITE_CORRUPT)
            return "자료 파일이 손상되었거나 Pelmar 자료 파일이 아닙니다.\r" + shown;
        if (code == SQLITE_FULL || code == SQLITE_IOERR)
            return WriteErrorMessage(error) + "\r" + shown;
        return "자료 파일을 열 수 없습니다.\r" + shown + "\r" + error.text();
    };
    QString message;
    if (!q.exec("SELECT count(*) FROM sqlite_master") || !q.exec("PRAGMA user_version") ||
        !q.next()) {
        message = refusal(q);
    } else {
        // A number the engine gave: PRAGMA takes no bound parameter.
        const QString probe = QString("PRAGMA user_version = %1").arg(q.value(0).toLongLong());
        q.finish();
        if (!q.exec("BEGIN IMMEDIATE")) {
            message = refusal(q);
        } else if (!q.exec(probe)) {
            message = refusal(q);
            q.exec("ROLLBACK");
        } else if (!q.exec("ROLLBACK")) {
            message = refusal(q);
        }
    }
    if (!message.isEmpty()) {
        q.finish();
        db.close();
        return platform::Fail(message);
    }
    // Rollback journal: nothing but the database file stays behind.
    q.exec("PRAGMA journal_mode=DELETE");
    q.exec("PRAGMA foreign_keys=OFF");
    // A month's lines (some 20 MB for 100,000) stay in memory between the
    // steps that read them again: each page read from the file is a system
    // call, and the request files' read-back reads every line written.
    q.exec("PRAGMA cache_size=-32768");
    if (const platform::Result<> limits = InstallByteLimits(db); !limits) {
        q.finish();
        db.close();
        return platform::Fail("자료 파일을 열 수 없습니다.\r" + shown + "\r" + limits.error());
    }
    return {};
}

void CloseDatabase(const QString& connectionName)
{
    if (!QSqlDatabase::contains(connectionName))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(connectionName, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(connectionName);
}

platform::Result<> WithDatabase(const QString& connectionName, const QString& file,
                                const std::function<platform::Result<>(QSqlDatabase&)>& work)
{
    platform::Result<> result = OpenDatabase(connectionName, file);
    if (result) {
        QSqlDatabase db = QSqlDatabase::database(connectionName, false);
        result = work(db);
    }
    CloseDatabase(connectionName);
    return result;
}

WriteFault ClassifyError(const QSqlError& error, QString* field)
{
    const QString text = error.databaseText();
    // The extended codes (SQLITE_BUSY_SNAPSHOT …) share the primary's low
    // byte. A refused COMMIT comes without a code, with the engine's text.
    if (!error.nativeErrorCode().isEmpty()) {
        const int code = error.nativeErrorCode().toInt() & 0xFF;
        if (code == SQLITE_BUSY || code == SQLITE_LOCKED)
            return WriteFault::Busy;
        if (code == SQLITE_READONLY)
            return WriteFault::ReadOnly;
        if (code == SQLITE_FULL)
            return WriteFault::DiskFull;
        if (code == SQLITE_IOERR)
            return WriteFault::Io;
    } else if (text == QLatin1String(sqlite3_errstr(SQLITE_BUSY)) ||
               text == QLatin1String(sqlite3_errstr(SQLITE_LOCKED))) {
        return WriteFault::Busy;
    }
    static const QRegularExpression check(
        "(?:CHECK constraint failed|byte limit exceeded): ([A-Za-z0-9]+)_(\\w+)_(len|req)");
    static const QRegularExpression notNull("NOT NULL constraint failed: \\w+\\.(\\w+)");
    if (text.contains("UNIQUE constraint failed") || text.contains("PRIMARY KEY"))
        return WriteFault::Duplicate;
    if (const auto m = check.match(text); m.hasMatch()) {
        if (field)
            *field = m.captured(1) + '.' + m.captured(2);
        return m.captured(3) == "len" ? WriteFault::TooLong : WriteFault::Missing;
    }
    if (const auto m = notNull.match(text); m.hasMatch()) {
        if (field)
            *field = m.captured(1);
        return WriteFault::Missing;
    }
    // The tables' other checks are the required texts (not empty).
    if (text.contains("CHECK constraint failed"))
        return WriteFault::Missing;
    return error.type() == QSqlError::NoError ? WriteFault::None : WriteFault::Other;
}

bool IsRowRefusal(const QSqlError& error)
{
    return !error.nativeErrorCode().isEmpty() &&
           (error.nativeErrorCode().toInt() & 0xFF) == SQLITE_CONSTRAINT;
}

QString WriteErrorMessage(const QSqlError& error)
{
    QString field;
    switch (ClassifyError(error, &field)) {
    case WriteFault::Duplicate:
        return QStringLiteral("코드가 중복됩니다.");
    case WriteFault::TooLong: {
        const TableDef* table = FindTable(field.section('.', 0, 0));
        const FieldDef* f = table ? table->field(field.section('.', 1)) : nullptr;
        return QString("%1 항목의 길이가 너무 깁니다. (최대 %2 바이트)")
            .arg(field.section('.', 1))
            .arg(f ? f->size : 0);
    }
    case WriteFault::Busy:
        return BusyMessage();
    case WriteFault::Missing:
        return QStringLiteral("필수항목이 누락되었습니다.");
    case WriteFault::ReadOnly:
        // The file opened writable (OpenDatabase's probe): its folder or
        // the file changed since, or the connection only reads.
        return QStringLiteral("자료 파일이나 자료 폴더에 쓸 수 없습니다. (읽기 전용)");
    case WriteFault::DiskFull:
        return QStringLiteral("디스크 공간이 부족합니다.");
    case WriteFault::Io:
        return QStringLiteral("자료 파일을 읽거나 쓸 수 없습니다: ") + EngineText(error);
    default:
        return EngineText(error);
    }
}

QString ReadOnlyMessage(const QString& folder)
{
    return QStringLiteral("자료 폴더에 쓸 수 없습니다: ") + QDir::toNativeSeparators(folder);
}

QString BusyMessage()
{
    return QStringLiteral("자료를 다른 프로그램이 사용하고 있습니다.\r잠시 후 다시 하십시오.");
}

QString ReadFailureMessage(const QSqlError& error)
{
    if (ClassifyError(error) == WriteFault::Busy)
        return BusyMessage();
    const QString text = error.databaseText().trimmed();
    return QStringLiteral("자료를 읽지 못했습니다.\r") + (text.isEmpty() ? error.text() : text);
}

QString TrimRight(const QString& text)
{
    qsizetype n = text.size();
    while (n > 0 && text[n - 1] == ' ')
        --n;
    return text.left(n);
}

} // namespace store
