#include "audit/audit_file.h"

#include "audit/chain.h"
#include "audit/record.h"
#include "audit/tables.h"
#include "audit/gather.h"
#include "shell/clock.h"
#include "shell/log.h"
#include "shell/workspace.h"
#include "store/database.h"
#include "store/tdm1.h"
#include "store/transaction_guard.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>

#include <atomic>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <pwd.h>
#include <sqlite3.h>
#include <unistd.h>

namespace audit {
namespace detail {
// Shared with record.cpp.
std::atomic<int> g_quiet{0};
std::atomic<bool> g_off{false};
std::atomic<int> g_tallying{0};
QHash<QString, QString>& Tallies()
{
    static QHash<QString, QString> tallies;
    return tallies;
}
Gather& Gathering()
{
    static Gather g;
    return g;
}

Span AppendShown(QByteArray& arena, sqlite3_value* v)
{
    Span span;
    span.at = arena.size();
    // Numbers are written here, not by the engine, which would allocate
    // its text for every value of a bulk change.
    char buf[40];
    const auto whole = [&](qint64 n) {
        const std::to_chars_result r = std::to_chars(buf, buf + sizeof buf, n);
        arena.append(buf, r.ptr - buf);
    };
    switch (sqlite3_value_type(v)) {
    case SQLITE_NULL:
        return Span{span.at, -1};
    case SQLITE_INTEGER:
        whole(sqlite3_value_int64(v));
        break;
    case SQLITE_FLOAT: {
        const double d = sqlite3_value_double(v);
        if (d == double(qint64(d)) && d > -9e15 && d < 9e15)
            whole(qint64(d));
        else
            arena.append(buf, std::snprintf(buf, sizeof buf, "%.15g", d));
        break;
    }
    case SQLITE_BLOB:
        arena.append(QByteArray(static_cast<const char*>(sqlite3_value_blob(v)),
                                sqlite3_value_bytes(v))
                         .toHex());
        break;
    default:
        arena.append(reinterpret_cast<const char*>(sqlite3_value_text(v)), sqlite3_value_bytes(v));
    }
    span.size = arena.size() - span.at;
    return span;
}

QByteArray SpanBytes(const QByteArray& arena, Span span, bool* isNull)
{
    if (isNull)
        *isNull = span.size < 0;
    return span.size < 0 ? QByteArray() : arena.mid(span.at, span.size);
}
} // namespace detail

namespace {
struct Process;
Process& process();
} // namespace

namespace detail {
QString RecordConnection();
} // namespace detail

namespace {

struct Process
{
    QString program;
    QString dataDir;
    QString user;
    std::function<void(const QString&)> report;
    bool reported = false;
    QString connection; // the last connection attached; empty before any
    bool started = false;
    // One moment per transaction: the rows of one change share it, and the
    // time a row stores is the time it was hashed with.
    QByteArray now;
};

Process& process()
{
    static Process p;
    return p;
}

QString osUser()
{
    if (const passwd* pw = getpwuid(geteuid()); pw && pw->pw_name)
        return QString::fromLocal8Bit(pw->pw_name);
    const QString env = qEnvironmentVariable("USER");
    return env.isEmpty() ? QString::number(geteuid()) : env;
}

void resultText(sqlite3_context* ctx, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_result_text(ctx, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

QVariant argText(sqlite3_value* v)
{
    if (sqlite3_value_type(v) == SQLITE_NULL)
        return QVariant();
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(v));
    return QString::fromUtf8(text, sqlite3_value_bytes(v));
}

void fnNow(sqlite3_context* ctx, int, sqlite3_value**)
{
    Process& p = process();
    if (p.now.isEmpty())
        p.now = shell::Now().toString("yyyy-MM-dd HH:mm:ss").toUtf8();
    sqlite3_result_text(ctx, p.now.constData(), int(p.now.size()), SQLITE_TRANSIENT);
}

void fnUser(sqlite3_context* ctx, int, sqlite3_value**)
{
    resultText(ctx, process().user);
}

void fnProgram(sqlite3_context* ctx, int, sqlite3_value**)
{
    resultText(ctx, process().program);
}

void fnRows(sqlite3_context* ctx, int, sqlite3_value**)
{
    sqlite3_result_int(ctx, detail::g_quiet.load() == 0 ? 1 : 0);
}

void fnCollecting(sqlite3_context* ctx, int, sqlite3_value**)
{
    sqlite3_result_int(ctx, detail::Gathering().active ? 1 : 0);
}

// SQL's trim() of the text `span` ends the arena with: spaces only, both
// ends, in place.
void trimSpacesAtEnd(QByteArray& arena, detail::Span span)
{
    if (span.size <= 0)
        return;
    const char* text = arena.constData();
    qsizetype from = span.at, to = span.at + span.size;
    while (from < to && text[from] == ' ')
        ++from;
    while (to > from && text[to - 1] == ' ')
        --to;
    if (from > span.at)
        std::memmove(arena.data() + span.at, arena.constData() + from, size_t(to - from));
    arena.truncate(span.at + (to - from));
}

// One changed row while a guarded transaction runs: (action, table, key,
// head table of the institution, institution or head row, field, old, new),
// the old and new value as stored.

void fnCollect(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    detail::Gather& g = detail::Gathering();
    const auto bytes = [](sqlite3_value* v) {
        return QByteArrayView(reinterpret_cast<const char*>(sqlite3_value_text(v)),
                              sqlite3_value_bytes(v));
    };
    const QByteArrayView action = bytes(argv[0]);
    const QByteArrayView table = bytes(argv[1]);
    const QByteArrayView field = bytes(argv[5]);
    // Mostly the same group as the row before: no key is built then.
    if (g.last >= g.groups.size() || g.groups[g.last].alone ||
        g.groups[g.last].action != action || g.groups[g.last].table != table ||
        g.groups[g.last].field != field) {
        QByteArray key = action.toByteArray() + '\x1f' + table.toByteArray() + '\x1f' +
                         field.toByteArray();
        auto it = g.index.constFind(key);
        if (it == g.index.cend()) {
            detail::Group group;
            group.action = action.toByteArray();
            group.table = table.toByteArray();
            group.field = field.toByteArray();
            group.instHead = bytes(argv[3]).toByteArray();
            g.groups.push_back(std::move(group));
            it = g.index.insert(key, g.groups.size() - 1);
        }
        g.last = *it;
    }
    detail::Group& group = g.groups[g.last];
    detail::Item item;
    if (argc == 12) {
        // A line: "batch/line 동-호", as the trigger's own SQL joins it.
        QByteArray& arena = group.arena;
        item.key.at = arena.size();
        const auto trimmed = [&arena](sqlite3_value* v) {
            trimSpacesAtEnd(arena, detail::AppendShown(arena, v));
        };
        detail::AppendShown(arena, argv[8]);
        arena.append('/');
        detail::AppendShown(arena, argv[9]);
        arena.append(' ');
        trimmed(argv[10]);
        arena.append('-');
        trimmed(argv[11]);
        item.key.size = arena.size() - item.key.at;
    } else {
        item.key = detail::AppendShown(group.arena, argv[2]);
    }
    item.institution = detail::AppendShown(group.arena, argv[4]);
    item.oldValue = detail::AppendShown(group.arena, argv[6]);
    item.newValue = detail::AppendShown(group.arena, argv[7]);
    group.items.push_back(item);
    sqlite3_result_null(ctx);
}

// One changed row outside a guarded transaction, appended at once by a
// statement of its own inside the change's: (action, table, key,
// institution, field, old, new). A row the record cannot take fails the
// change with the engine's code (busy, read-only …), and so undoes it.
void fnAppend(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    static const QByteArray sql =
        detail::AppendSql("?1", "?2", "?3", "?4", "?5", "?6", "?7").toUtf8();
    sqlite3* h = sqlite3_context_db_handle(ctx);
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(h, sql.constData(), int(sql.size()), &st, nullptr);
    if (rc == SQLITE_OK) {
        for (int i = 0; i < 7; ++i)
            sqlite3_bind_value(st, i + 1, argv[i]);
        rc = sqlite3_step(st);
        if (rc == SQLITE_DONE)
            rc = SQLITE_OK;
    }
    if (rc != SQLITE_OK) {
        const QByteArray message = sqlite3_errmsg(h);
        sqlite3_finalize(st);
        sqlite3_result_error(ctx, message.constData(), int(message.size()));
        sqlite3_result_error_code(ctx, rc);
        return;
    }
    sqlite3_finalize(st);
    sqlite3_result_null(ctx);
}

void fnTallying(sqlite3_context* ctx, int, sqlite3_value**)
{
    sqlite3_result_int(ctx, detail::g_tallying.load() > 0 ? 1 : 0);
}

void fnTally(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    // The row's last value counts: an answer may set a line twice.
    detail::Tallies()[argText(argv[0]).toString() + ':' + argText(argv[1]).toString()] =
        argText(argv[2]).toString();
    sqlite3_result_null(ctx);
}

// A stored value as the record shows it: whole amounts without ".0".
void fnText(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    QByteArray text;
    const detail::Span span = detail::AppendShown(text, argv[0]);
    if (span.size < 0)
        sqlite3_result_null(ctx);
    else
        sqlite3_result_text(ctx, text.constData(), int(text.size()), SQLITE_TRANSIENT);
}

void fnHash(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    // The canonical form of RowHash, over the engine's bytes as they are.
    QCryptographicHash h(QCryptographicHash::Sha256);
    for (int i = 0; i < argc; ++i) {
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL) {
            h.addData(QByteArrayView("-;"));
            continue;
        }
        const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[i]));
        const int size = sqlite3_value_bytes(argv[i]);
        h.addData(QByteArray::number(size) + ':');
        h.addData(QByteArrayView(text, size));
        h.addData(QByteArrayView(";"));
    }
    const QByteArray hex = h.result().toHex();
    sqlite3_result_text(ctx, hex.constData(), int(hex.size()), SQLITE_TRANSIENT);
}

int onCommit(void*)
{
    process().now.clear();
    return 0;
}

void onRollback(void*)
{
    process().now.clear();
}

bool registerFunctions(const QSqlDatabase& db)
{
    sqlite3* h = store::SqliteHandle(db);
    if (!h)
        return false;
    struct Fn
    {
        const char* name;
        int args;
        void (*f)(sqlite3_context*, int, sqlite3_value**);
        bool deterministic;
    };
    const Fn fns[] = {{"audit_now", 0, fnNow, false},         {"audit_user", 0, fnUser, true},
                      {"audit_program", 0, fnProgram, true},  {"audit_rows", 0, fnRows, false},
                      {"audit_text", 1, fnText, true},        {"audit_hash", 13, fnHash, true},
                      {"audit_tallying", 0, fnTallying, false}, {"audit_tally", 3, fnTally, false},
                      {"audit_collecting", 0, fnCollecting, false},
                      {"audit_append", 7, fnAppend, false},
                      {"audit_collect", 8, fnCollect, false},
                      {"audit_collect", 12, fnCollect, false}};
    for (const Fn& f : fns) {
        const int flags = SQLITE_UTF8 | (f.deterministic ? SQLITE_DETERMINISTIC : 0);
        if (sqlite3_create_function_v2(h, f.name, f.args, flags, nullptr, f.f, nullptr, nullptr,
                                       nullptr) != SQLITE_OK)
            return false;
    }
    sqlite3_commit_hook(h, onCommit, nullptr);
    sqlite3_rollback_hook(h, onRollback, nullptr);
    return true;
}

bool sameFolder(const QString& a, const QString& b)
{
    return QDir::cleanPath(QFileInfo(a).absoluteFilePath()) ==
           QDir::cleanPath(QFileInfo(b).absoluteFilePath());
}

bool isMissingTable(const QSqlError& e)
{
    return e.databaseText().startsWith(QLatin1String("no such table"));
}

// The file is not a record at all: not a database, damaged, or without the
// record's tables (another program's file under the name).
bool isUnreadableFile(const QSqlError& e)
{
    const int code = e.nativeErrorCode().toInt() & 0xFF;
    return code == SQLITE_NOTADB || code == SQLITE_CORRUPT || code == SQLITE_CANTOPEN ||
           isMissingTable(e);
}

// The record's own file: the rows, the head of the chain (the last row's
// number and hash, kept by the file's trigger, so that a row cut from the
// end is missed), and triggers that refuse to change or delete a row.
const QStringList& schemaSql()
{
    static const QStringList sql = {
        "CREATE TABLE audit.AuditLog (Seq INTEGER PRIMARY KEY, Time TEXT NOT NULL, "
        "OsUser TEXT NOT NULL, Program TEXT NOT NULL, Action TEXT NOT NULL, "
        "TableName TEXT NOT NULL, RowKey TEXT NOT NULL, Institution TEXT NOT NULL, "
        "Field TEXT NOT NULL, OldValue TEXT, NewValue TEXT, Prev TEXT NOT NULL, "
        "Hash TEXT NOT NULL, Items TEXT)",
        "CREATE INDEX audit.AuditLog_Time ON AuditLog (Time)",
        "CREATE TABLE audit.AuditHead (Id INTEGER PRIMARY KEY CHECK (Id = 1), "
        "Seq INTEGER NOT NULL, Hash TEXT NOT NULL, ChainId TEXT NOT NULL)",
        "CREATE TRIGGER audit.AuditLog_head AFTER INSERT ON AuditLog BEGIN "
        "UPDATE AuditHead SET Seq = NEW.Seq, Hash = NEW.Hash; END",
        "CREATE TRIGGER audit.AuditLog_no_update BEFORE UPDATE ON AuditLog BEGIN "
        "SELECT RAISE(ABORT, 'audit rows are never changed'); END",
        "CREATE TRIGGER audit.AuditLog_no_delete BEFORE DELETE ON AuditLog BEGIN "
        "SELECT RAISE(ABORT, 'audit rows are never deleted'); END",
    };
    return sql;
}

QString newChainId()
{
    QByteArray bytes(16, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(bytes.data()), 4);
    return QString::fromLatin1(bytes.toHex());
}

platform::Result<> exec(QSqlQuery& q, const QString& sql)
{
    if (q.exec(sql))
        return {};
    return platform::Fail(FailureMessage(q.lastError().text()));
}

// Creates the record's tables in the attached, empty file and writes the
// chain's first row (a start, or a break saying what was lost), and the
// chain's id into the data, in one transaction over both files.
platform::Result<QString> startChain(QSqlDatabase& db, const QString& lost)
{
    const QString chainId = newChainId();
    store::TransactionGuard tx(db);
    if (!tx.active())
        return platform::Fail(FailureMessage(tx.error().text()));
    QSqlQuery q(db);
    for (const QString& sql : schemaSql())
        if (platform::Result<> r = exec(q, sql); !r)
            return platform::Fail(r.error());
    q.prepare("INSERT INTO audit.AuditHead (Id, Seq, Hash, ChainId) VALUES (1, 0, '', ?)");
    q.addBindValue(chainId);
    if (!q.exec())
        return platform::Fail(FailureMessage(q.lastError().text()));
    Change first;
    first.action = lost.isEmpty() ? action::ChainStart : action::ChainBreak;
    first.table = QStringLiteral("Audit.db");
    first.key = chainId;
    if (!lost.isEmpty())
        first.oldValue = lost;
    if (platform::Result<> r = Record(db, first); !r)
        return platform::Fail(r.error());
    q.prepare("INSERT OR IGNORE INTO main.AuditChain (ChainId, Started) VALUES (?, ?)");
    q.addBindValue(chainId);
    q.addBindValue(shell::Now().toString("yyyy-MM-dd HH:mm:ss"));
    if (!q.exec())
        return platform::Fail(FailureMessage(q.lastError().text()));
    q.finish();
    if (!tx.commit())
        return platform::Fail(FailureMessage(tx.error().text()));
    return chainId;
}

QStringList columnsOf(QSqlDatabase& db, const QString& table)
{
    QStringList out;
    QSqlQuery q(db);
    q.prepare("SELECT name FROM pragma_table_info(?, 'main')");
    q.addBindValue(table);
    if (q.exec())
        while (q.next())
            out.append(q.value(0).toString());
    return out;
}

platform::Result<> installTriggers(QSqlDatabase& db)
{
    QSqlQuery q(db);
    QStringList old;
    if (!q.exec("SELECT name FROM sqlite_temp_master WHERE type = 'trigger' AND "
                "name LIKE 'audit\\_%' ESCAPE '\\'"))
        return platform::Fail(FailureMessage(q.lastError().text()));
    while (q.next())
        old.append(q.value(0).toString());
    q.finish();
    for (const QString& name : old)
        if (platform::Result<> r = exec(q, "DROP TRIGGER temp." + name); !r)
            return r;
    const QStringList sql =
        detail::TriggerSql([&db](const QString& table) { return columnsOf(db, table); });
    for (const QString& s : sql)
        if (platform::Result<> r = exec(q, s); !r)
            return r;
    return {};
}

void tellOnce(const QString& message)
{
    shell::WriteLog(message, true);
    Process& p = process();
    if (p.reported || !p.report)
        return;
    p.reported = true;
    p.report(message);
}

} // namespace

QString detail::RecordConnection()
{
    const Process& p = process();
    if (!p.started)
        return QString();
    return p.connection.isNull() ? QStringLiteral("") : p.connection;
}

QString AuditFile(const QString& dataDir)
{
    return QDir(dataDir).filePath("Audit.db");
}

QString FailureMessage(const QString& engineText)
{
    return QStringLiteral("변경 이력(Audit.db)을 기록하지 못했습니다.\r") + engineText;
}

void Start(const QString& program, const shell::Workspace& ws,
           std::function<void(const QString& message)> report)
{
    Process& p = process();
    p.program = program;
    p.dataDir = ws.dataDir;
    p.user = osUser();
    p.report = std::move(report);
    p.started = true;
    store::SetMainConnectionHook(
        [](QSqlDatabase& db, const QString& dataDir) { return Attach(db, dataDir); });
    // A guarded change on the recorded connection gathers its rows and
    // writes them just before its commit.
    store::TransactionHooks hooks;
    hooks.begun = [](QSqlDatabase& db) {
        detail::Gather& g = detail::Gathering();
        if (!detail::g_off && db.connectionName() == process().connection) {
            g.active = true;
            g.clear();
        }
    };
    hooks.committing = [](QSqlDatabase& db) -> platform::Result<> {
        if (!detail::Gathering().active || db.connectionName() != process().connection)
            return {};
        return detail::WriteGathered(db);
    };
    hooks.ended = [](QSqlDatabase& db) {
        if (db.connectionName() == process().connection) {
            detail::Gathering().active = false;
            detail::Gathering().clear();
        }
    };
    store::SetTransactionHooks(std::move(hooks));
}

void SetRecordingForBenchmark(bool on)
{
    detail::g_off = !on;
}

bool IsAttached(const QSqlDatabase& db)
{
    QSqlQuery q(db);
    if (!q.exec("SELECT 1 FROM pragma_database_list WHERE name = 'audit'"))
        return false;
    return q.next();
}

platform::Result<> Attach(QSqlDatabase& db, const QString& dataDir)
{
    Process& p = process();
    if (detail::g_off || p.program.isEmpty() || !sameFolder(dataDir, p.dataDir))
        return {};
    if (!registerFunctions(db))
        return platform::Fail(FailureMessage(QStringLiteral("SQLite")));
    QSqlQuery q(db);
    if (IsAttached(db))
        (void)exec(q, "DETACH DATABASE audit");

    // The chains this data has known: none in a new workspace or the first
    // start after an upgrade, when a missing record is simply begun.
    bool hadChain = false;
    if (q.exec("SELECT 1 FROM main.AuditChain LIMIT 1"))
        hadChain = q.next();
    else if (!isMissingTable(q.lastError()))
        return platform::Fail(store::ReadFailureMessage(q.lastError()));
    q.finish();

    const QString file = AuditFile(dataDir);
    // An empty file is a first chain that never committed (the program
    // ended while starting it): nothing was in it.
    if (QFileInfo(file).isFile() && QFileInfo(file).size() == 0)
        QFile::remove(file);
    const auto attach = [&]() -> bool {
        q.prepare("ATTACH DATABASE ? AS audit");
        q.addBindValue(file);
        return q.exec();
    };
    QString lost;
    bool fresh = true;
    if (QFileInfo::exists(file)) {
        const bool attached = attach();
        if (attached && q.exec("SELECT Seq, Hash, ChainId FROM audit.AuditHead") && q.next()) {
            fresh = false;
        } else {
            const QSqlError error = q.lastError();
            q.finish();
            if (IsAttached(db))
                (void)exec(q, "DETACH DATABASE audit");
            // Only a file that is not a record is put aside; a read that is
            // refused for now (a lock, the disk) leaves it where it is.
            if (error.isValid() && !isUnreadableFile(error))
                return platform::Fail(store::ReadFailureMessage(error));
            // Kept aside for whoever looks into it; never written over.
            const QString aside =
                file + ".unreadable-" + shell::Now().toString("yyyyMMdd-HHmmss");
            if (!QFile::rename(file, aside))
                return platform::Fail(
                    FailureMessage("Audit.db를 읽을 수 없고 옮길 수도 없습니다: " + file));
            lost = QString("변경 이력 파일을 읽을 수 없어 %1(으)로 옮기고 새 기록을 시작합니다. (%2)")
                       .arg(QFileInfo(aside).fileName(), error.isValid()
                                                             ? error.text()
                                                             : QStringLiteral("기록의 머리 행이 없습니다"));
        }
        q.finish();
    } else if (hadChain) {
        lost = QStringLiteral("변경 이력 파일(Audit.db)이 없어 새 기록을 시작합니다.");
    }
    if (fresh) {
        if (!attach())
            return platform::Fail(FailureMessage(q.lastError().text()));
        q.finish();
        q.exec("PRAGMA audit.journal_mode=DELETE");
        q.finish();
        const platform::Result<QString> started = startChain(db, lost);
        if (!started) {
            (void)exec(q, "DETACH DATABASE audit");
            QFile::remove(file);
            return platform::Fail(started.error());
        }
        if (!lost.isEmpty())
            tellOnce(lost);
    } else {
        // Data that came back from a copy older than the chain (a restore)
        // learns which chain it belongs to; written only when it does not know.
        QSqlQuery m(db);
        if (!m.exec("SELECT 1 FROM main.AuditChain WHERE ChainId = "
                    "(SELECT ChainId FROM audit.AuditHead)"))
            return platform::Fail(store::ReadFailureMessage(m.lastError()));
        if (!m.next()) {
            m.finish();
            if (!m.exec("INSERT OR IGNORE INTO main.AuditChain (ChainId, Started) "
                        "SELECT ChainId, NULL FROM audit.AuditHead"))
                return platform::Fail(store::WriteErrorMessage(m.lastError()));
        }
    }
    // A row that INSERT OR REPLACE takes away is recorded as deleted.
    q.exec("PRAGMA recursive_triggers = ON");
    q.finish();
    if (platform::Result<> installed = installTriggers(db); !installed)
        return installed;
    // A connection of RecordInWorkspace's own closes at once; the data's stays.
    if (!db.connectionName().startsWith(QLatin1String("AuditOutside")))
        p.connection = db.connectionName();
    return {};
}

} // namespace audit
