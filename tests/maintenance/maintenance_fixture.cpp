#include "tests/maintenance/maintenance_fixture.h"

#include "shell/link_settings.h"
#include "shell/workspace.h"
#include "store/database.h"
#include "store/tdm1.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <sys/stat.h>
#include <zip.h>

namespace testing_support {
namespace {

const QString kConn = QStringLiteral("MaintenanceTestConn");

template <typename F> void withDb(const QString& file, F f)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", kConn);
        db.setDatabaseName(file);
        ASSERT_TRUE(db.open());
        store::RegisterFunctions(db);
        f(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(kConn);
}

} // namespace

void MaintenanceTest::SetUp()
{
    WorkspaceTest::SetUp();
    shell::SetLinkProgramPath({});
    shell::InitialiseLinkSettings();
    shell::PrepareTransferDirectories(workspace());
}

void MaintenanceTest::TearDown()
{
    WorkspaceTest::TearDown();
}

QString MaintenanceTest::dbFile() const
{
    return store::TDM1::DatabaseFile(workspace().dataDir);
}

maintenance::Context MaintenanceTest::context(maintenance::Program program)
{
    return maintenance::Context{ui, workspace(), program, maintenance::Media{}};
}

void MaintenanceTest::makeDatabase(int batches)
{
    {
        store::TDM1 dm(ui, workspace());
        ASSERT_TRUE(dm.PrepareDatabase(workspace().dataDir));
    }
    QStringList sql;
    for (int i = 1; i <= batches; ++i)
        sql << QString("INSERT INTO Apt1 (AptID, GiganID10, Bigo, State) VALUES (%1, 'G%1', "
                       "'관리비 %1', 1)")
                   .arg(i);
    exec(sql);
}

void MaintenanceTest::exec(const QStringList& sql, const QString& file)
{
    withDb(file.isEmpty() ? dbFile() : file, [&](QSqlDatabase& db) {
        QSqlQuery q(db);
        for (const QString& s : sql)
            ASSERT_TRUE(q.exec(s)) << s.toStdString() << ": " << q.lastError().text().toStdString();
    });
}

QStringList MaintenanceTest::tables(const QString& file)
{
    QStringList out;
    withDb(file.isEmpty() ? dbFile() : file, [&](QSqlDatabase& db) {
        QSqlQuery q(db);
        q.exec("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%'");
        while (q.next())
            out << q.value(0).toString();
    });
    out.sort();
    return out;
}

QStringList MaintenanceTest::dump(const QString& file, const QString& table)
{
    const QStringList names = table.isEmpty() ? tables(file) : QStringList{table};
    QStringList out;
    withDb(file.isEmpty() ? dbFile() : file, [&](QSqlDatabase& db) {
        for (const QString& t : names) {
            QSqlQuery q(db);
            ASSERT_TRUE(q.exec("SELECT * FROM \"" + t + "\"")) << t.toStdString();
            while (q.next()) {
                QStringList row{t};
                for (int c = 0; c < q.record().count(); ++c)
                    row << q.value(c).toString();
                out << row.join('|');
            }
        }
    });
    out.sort();
    return out;
}

void WriteRawZip(const QString& archive, const QList<QPair<QByteArray, QByteArray>>& entries,
                 const QList<QByteArray>& links)
{
    QFile::remove(archive);
    int code = 0;
    zip_t* z = zip_open(QFile::encodeName(archive).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    ASSERT_NE(z, nullptr);
    QList<QByteArray> keep; // libzip reads the buffers at close
    for (const auto& [name, bytes] : entries) {
        keep.append(bytes);
        zip_source_t* src =
            zip_source_buffer(z, keep.last().constData(), zip_uint64_t(keep.last().size()), 0);
        const zip_int64_t index = zip_file_add(z, name.constData(), src, ZIP_FL_OVERWRITE);
        ASSERT_GE(index, 0);
        // As a Unix archiver stores a symbolic link: its target as the bytes.
        if (links.contains(name))
            ASSERT_EQ(zip_file_set_external_attributes(z, zip_uint64_t(index), 0, ZIP_OPSYS_UNIX,
                                                       zip_uint32_t(S_IFLNK | 0777) << 16),
                      0);
    }
    ASSERT_EQ(zip_close(z), 0);
}

} // namespace testing_support
