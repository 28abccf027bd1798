#include "maintenance/reorganise.h"

#include "audit/record.h"

#include "maintenance/archive_files.h"
#include "platform/zip_archive.h"
#include "shell/file_helpers.h"
#include "shell/replace_file.h"
#include "shell/ui.h"
#include "shell/workspace.h"
#include "store/database.h"
#include "store/tdm1.h"
#include "store/transaction_guard.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace maintenance {
namespace {

const QString kConnection = QStringLiteral("PelmarReorganise");

QString quoted(const QString& name)
{
    return '"' + QString(name).replace('"', "\"\"") + '"';
}

QStringList columnsOf(QSqlDatabase& db, const QString& schema, const QString& table)
{
    QStringList out;
    QSqlQuery q(db);
    if (q.exec(QString("PRAGMA %1.table_info(%2)").arg(schema, quoted(table))))
        while (q.next())
            out.append(q.value(1).toString());
    return out;
}

struct TableSql
{
    QString name;
    QString create;
    QStringList indexes;
};

QList<TableSql> tablesOf(QSqlDatabase& db, const QString& schema)
{
    QList<TableSql> out;
    QSqlQuery q(db);
    q.exec(QString("SELECT name, sql FROM %1.sqlite_master WHERE type = 'table' AND name NOT LIKE "
                   "'sqlite\\_%' ESCAPE '\\' ORDER BY rowid")
               .arg(schema));
    while (q.next())
        out.append({q.value(0).toString(), q.value(1).toString(), {}});
    for (TableSql& t : out) {
        QSqlQuery ix(db);
        ix.prepare(
            QString("SELECT sql FROM %1.sqlite_master WHERE type = 'index' AND tbl_name = ? AND "
                    "sql IS NOT NULL")
                .arg(schema));
        ix.addBindValue(t.name);
        if (ix.exec())
            while (ix.next())
                t.indexes.append(ix.value(0).toString());
    }
    return out;
}

bool hasTable(QSqlDatabase& db, const QString& name)
{
    QSqlQuery q(db);
    q.prepare("SELECT 1 FROM main.sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE");
    q.addBindValue(name);
    return q.exec() && q.next();
}

// Moves every row of the attached old copy into the main file in one
// transaction.
platform::Result<> moveRows(Context& ctx, QSqlDatabase& db)
{
    shell::Ui& ui = ctx.ui;
    const QList<TableSql> tables = tablesOf(db, "old");
    ui.ShowProgress(QStringLiteral("자료 복사중..."), 0, int(tables.size()), false);
    store::TransactionGuard tx(db);
    if (!tx.active())
        return platform::Fail();
    for (const TableSql& t : tables) {
        ui.StepProgress();
        QSqlQuery step(db);
        bool ok = true;
        if (hasTable(db, t.name)) {
            const QStringList newColumns = columnsOf(db, "main", t.name);
            QStringList common;
            for (const QString& c : columnsOf(db, "old", t.name))
                if (newColumns.contains(c, Qt::CaseInsensitive))
                    common.append(quoted(c));
            const QString list = common.join(", ");
            ok = common.isEmpty() ||
                 step.exec(QString("INSERT OR REPLACE INTO main.%1 (%2) SELECT %2 FROM old.%1")
                               .arg(quoted(t.name), list));
        } else if (ctx.program == Program::Pelmar) {
            // A table of a later or an add-on version: kept with its indexes.
            ok = step.exec(t.create);
            for (const QString& ix : t.indexes)
                ok = ok && step.exec(ix);
            ok = ok &&
                 step.exec(QString("INSERT INTO main.%1 SELECT * FROM old.%1").arg(quoted(t.name)));
        }
        if (!ok)
            return platform::Fail(t.name + "\r" + store::ReadFailureMessage(step.lastError()));
    }
    if (!tx.commit())
        return platform::Fail(store::ReadFailureMessage(db.lastError()));
    return {};
}

// Moves every row of the old copy into the new file in one transaction.
bool copyTables(Context& ctx, const QString& newFile, const QString& oldFile)
{
    const platform::Result<> copied =
        store::WithDatabase(kConnection, newFile, [&](QSqlDatabase& db) -> platform::Result<> {
            QSqlQuery q(db);
            q.prepare("ATTACH DATABASE ? AS old");
            q.addBindValue(oldFile);
            if (!q.exec())
                return platform::Fail(oldFile + "\r" + store::ReadFailureMessage(q.lastError()));
            const platform::Result<> moved = moveRows(ctx, db);
            q.exec("DETACH DATABASE old");
            return moved;
        });
    if (!copied)
        ctx.ui.ShowError("자료 재정리 중 오류가 발생하였습니다.\r\r" + copied.error());
    return copied.ok();
}

// Opening the live file once finishes (rolls back) a transaction that a
// crash left in its journal, so the copy taken next is whole.
bool settle(shell::Ui& ui, const QString& file)
{
    if (!QFileInfo::exists(file))
        return true;
    const platform::Result<> r = store::OpenDatabase(kConnection, file);
    store::CloseDatabase(kConnection);
    if (!r)
        ui.ShowError(r.error());
    return r.ok();
}

} // namespace

QString ReorganisationFolder(const shell::Workspace& ws)
{
    return ws.dataDir + "Temp/";
}

bool Reorganise(Context& ctx)
{
    shell::Ui& ui = ctx.ui;
    const bool vandry = ctx.program == Program::Vandry;
    const QString blank = ctx.ws.blankDatabasePath();
    if (!QFileInfo::exists(blank)) {
        // Both programs say why; a silent refusal left Pelmar's users with a
        // restore that seemed to do nothing.
        ui.ShowInfo(
            QString("파일 \"%1\"를 찾을수 없습니다.\r\r").arg(QDir::toNativeSeparators(blank)));
        return false;
    }
    const QString dataDir = ctx.ws.dataDir;
    const QString live = store::TDM1::DatabaseFile(dataDir);
    const QString reorg = ReorganisationFolder(ctx.ws);
    const QString build = dataDir + "New/";
    const QString home = ctx.ws.programDir;
    const auto cleanup = qScopeGuard([build, reorg, vandry, home] {
        shell::RemoveFolder(build, home);
        if (vandry)
            shell::RemoveFolder(reorg, home);
    });

    ui.ShowWaitMessage(QStringLiteral("자료 재정리를 준비중입니다."));
    QDir().mkpath(reorg);
    if (!shell::DeleteAllFiles(ui, reorg, home) || !settle(ui, live) ||
        !shell::CopyFiles(ui, dataDir, reorg, vandry ? "*.db" : "*.*"))
        return false;

    ui.ShowWaitMessage(QStringLiteral("초기 자료를 생성중입니다."));
    shell::RemoveFolder(build, home);
    const platform::Result<> z = platform::ExtractZip(blank, build);
    const QString fresh = store::TDM1::DatabaseFile(build);
    if (!z || !QFileInfo::exists(fresh)) {
        ui.ShowError(z ? blank + "\rPelmar.db" : z.error());
        return false;
    }

    const QString oldCopy = store::TDM1::DatabaseFile(reorg);
    if (QFileInfo::exists(oldCopy)) {
        if (!vandry) {
            // Both sides in the current layout, so that added columns and seeded codes line up.
            store::TDM1 dm(ui, ctx.ws);
            const bool prepared = dm.PrepareDatabase(build) && dm.PrepareDatabase(reorg);
            dm.Close();
            if (!prepared)
                return false;
        }
        if (!copyTables(ctx, fresh, oldCopy))
            return false;
    }

    ui.ShowWaitMessage(QStringLiteral("자료 재정리를 마무리중입니다."));
    if (const platform::Result<> replaced = shell::ReplaceFile(fresh, live); !replaced) {
        ui.ShowError(replaced.error());
        return false;
    }
    // The record stays beside the new file, and the reorganisation is in it.
    const platform::Result<> recorded = audit::RecordInWorkspace(
        ctx.ws, {{audit::action::Reorganise, QStringLiteral("자료"),
                  QDir::toNativeSeparators(live), QString(), QString(), QVariant(), QVariant()}});
    if (!recorded) {
        ui.ShowError(recorded.error());
        return false;
    }
    return true;
}

} // namespace maintenance
