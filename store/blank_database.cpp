#include "store/blank_database.h"

#include "platform/zip_archive.h"
#include "shell/workspace.h"
#include "store/database.h"
#include "store/migration.h"
#include "store/schema.h"
#include "store/transaction_guard.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

namespace store {
namespace {

// Reference rows: one UTF-8 CSV file per table, named after it, the first
// line naming the columns. Values hold no commas or quotes.
bool loadReference(QSqlDatabase& db, const QString& referenceDir, QString* error)
{
    const QStringList files = QDir(referenceDir).entryList({"*.csv"}, QDir::Files, QDir::Name);
    for (const QString& name : files) {
        const QString table = QFileInfo(name).completeBaseName();
        if (!FindTable(table)) {
            *error = name + ": no such table";
            return false;
        }
        QFile file(QDir(referenceDir).filePath(name));
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
            *error = file.fileName() + ": " + file.errorString();
            return false;
        }
        const QStringList lines = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
        if (lines.isEmpty())
            continue;
        const QStringList columns = lines.first().trimmed().split(',');
        QStringList marks;
        for (int i = 0; i < columns.size(); ++i)
            marks.append("?");
        QSqlQuery q(db);
        q.prepare(QString("INSERT INTO %1 (%2) VALUES (%3)")
                      .arg(table, columns.join(','), marks.join(',')));
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const QString line = lines[i].trimmed();
            if (line.isEmpty() || line.startsWith('#'))
                continue;
            const QStringList values = line.split(',');
            for (int c = 0; c < columns.size(); ++c)
                q.bindValue(c, c < values.size() ? QVariant(values[c]) : QVariant());
            if (!q.exec()) {
                *error = QString("%1:%2: %3").arg(name).arg(i + 1).arg(q.lastError().text());
                return false;
            }
        }
    }
    return true;
}

} // namespace

bool BuildBlankDatabase(const QString& dbFile, const QString& referenceDir, QString* error)
{
    QFile::remove(dbFile);
    const QString name = "PelmarBlank_" + QString::number(quintptr(&dbFile));
    bool ok = false;
    {
        const OpenResult r = OpenDatabase(name, dbFile, false);
        if (!r.ok) {
            *error = r.message;
            CloseDatabase(name);
            return false;
        }
        QSqlDatabase db = QSqlDatabase::database(name, false);
        // The oldest layout plus the reference rows, brought up to date by the
        // same steps that migrate a branch's file, so both come out alike.
        TransactionGuard tx(db);
        ok = true;
        for (const TableDef& t : Tables())
            if (ok && !t.createdByMigration)
                ok = CreateTable(db, t, Layout::Oldest, error);
        ok = ok && loadReference(db, referenceDir, error);
        if (ok) {
            const MigrationResult m = RunMigration(db);
            ok = m.ok;
            if (!ok)
                *error = m.step + ": " + m.error;
        }
        ok = ok && tx.commit();
    }
    CloseDatabase(name);
    if (!ok)
        QFile::remove(dbFile);
    return ok;
}

bool WriteBlankArchive(const QString& archive, const QString& referenceDir, QString* error)
{
    QTemporaryDir tmp;
    if (!tmp.isValid()) {
        *error = "cannot create a temporary folder";
        return false;
    }
    const QString db = tmp.filePath("Pelmar.db");
    if (!BuildBlankDatabase(db, referenceDir, error))
        return false;
    const platform::ZipResult z = platform::CreateZip(archive, {db});
    if (!z.ok)
        *error = z.error;
    return z.ok;
}

bool FillFromBlank(const QString& dataDir, QString* error)
{
    if (!QDir().mkpath(dataDir)) {
        *error = dataDir;
        return false;
    }
    const QString target = QDir(dataDir).filePath("Pelmar.db");
    const QString archive = shell::BlankDatabasePath();
    if (QFileInfo::exists(archive)) {
        QTemporaryDir tmp(QDir(dataDir).filePath(".blank-XXXXXX"));
        QStringList extracted;
        const platform::ZipResult z = platform::ExtractZip(archive, tmp.path(), &extracted);
        const QString db = tmp.filePath("Pelmar.db");
        if (z.ok && QFileInfo::exists(db))
            return QFile::rename(db, target) || (*error = target, false);
        *error = z.ok ? archive + ": Pelmar.db missing" : z.error;
        return false;
    }
    // No blank archive shipped: build the same database in place.
    return BuildBlankDatabase(target, shell::Paths().shippedDir + "data/reference", error);
}

} // namespace store
