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
platform::Result<> loadReference(QSqlDatabase& db, const QString& referenceDir)
{
    const QStringList files = QDir(referenceDir).entryList({"*.csv"}, QDir::Files, QDir::Name);
    for (const QString& name : files) {
        const QString table = QFileInfo(name).completeBaseName();
        if (!FindTable(table))
            return platform::Fail(name + ": no such table");
        QFile file(QDir(referenceDir).filePath(name));
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            return platform::Fail(file.fileName() + ": " + file.errorString());
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
            if (!q.exec())
                return platform::Fail(
                    QString("%1:%2: %3").arg(name).arg(i + 1).arg(q.lastError().text()));
        }
    }
    return {};
}

// The oldest layout plus the reference rows, brought up to date by the same
// steps that migrate a branch's file, so both come out alike.
platform::Result<> fillBlank(QSqlDatabase& db, const QString& referenceDir)
{
    for (const TableDef& t : Tables()) {
        if (t.createdByMigration)
            continue;
        if (platform::Result<> created = CreateTable(db, t, Layout::Oldest); !created)
            return created;
    }
    if (platform::Result<> loaded = loadReference(db, referenceDir); !loaded)
        return loaded;
    const MigrationResult m = RunMigration(db);
    if (!m.ok)
        return platform::Fail(m.step + ": " + m.error);
    return {};
}

} // namespace

platform::Result<> BuildBlankDatabase(const QString& dbFile, const QString& referenceDir)
{
    QFile::remove(dbFile);
    const QString name = "PelmarBlank_" + QString::number(quintptr(&dbFile));
    platform::Result<> built;
    {
        const platform::Result<> r = OpenDatabase(name, dbFile, false);
        if (!r) {
            CloseDatabase(name);
            return r;
        }
        QSqlDatabase db = QSqlDatabase::database(name, false);
        TransactionGuard tx(db);
        built = fillBlank(db, referenceDir);
        if (built && !tx.commit())
            built = platform::Fail();
    }
    CloseDatabase(name);
    if (!built)
        QFile::remove(dbFile);
    return built;
}

platform::Result<> WriteBlankArchive(const QString& archive, const QString& referenceDir)
{
    QTemporaryDir tmp;
    if (!tmp.isValid())
        return platform::Fail("cannot create a temporary folder");
    const QString db = tmp.filePath("Pelmar.db");
    if (platform::Result<> built = BuildBlankDatabase(db, referenceDir); !built)
        return built;
    return platform::CreateZip(archive, {db});
}

platform::Result<> FillFromBlank(const QString& dataDir)
{
    if (!QDir().mkpath(dataDir))
        return platform::Fail(dataDir);
    const QString target = QDir(dataDir).filePath("Pelmar.db");
    const QString archive = shell::BlankDatabasePath();
    if (QFileInfo::exists(archive)) {
        QTemporaryDir tmp(QDir(dataDir).filePath(".blank-XXXXXX"));
        QStringList extracted;
        const platform::Result<> z = platform::ExtractZip(archive, tmp.path(), &extracted);
        const QString db = tmp.filePath("Pelmar.db");
        if (z && QFileInfo::exists(db))
            return QFile::rename(db, target) ? platform::Result<>() : platform::Fail(target);
        return platform::Fail(z ? archive + ": Pelmar.db missing" : z.error());
    }
    // No blank archive shipped: build the same database in place.
    return BuildBlankDatabase(target, shell::Paths().shippedDir + "data/reference");
}

} // namespace store
