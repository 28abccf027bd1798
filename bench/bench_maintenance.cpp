// Backup and restore of a large database against the command-line zip
// tools on the same file. Targets: backup within 1.5 times `zip -9`,
// restore within 1.5 times `unzip`. Argument: database size in MB (200).
// Exit code 1 when a target is missed.

#include "bench/bench_result.h"
#include "maintenance/backup.h"
#include "shell/clock.h"
#include "shell/console_ui.h"
#include "shell/log.h"
#include "shell/workspace.h"
#include "store/tdm1.h"
#include "store/transaction_guard.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstdio>

namespace {

// Transfer lines in batches of 2,000 until the file reaches `megabytes`.
bool fill(store::TDM1& dm, qint64 megabytes)
{
    QSqlDatabase db = dm.db();
    const QString file = store::TDM1::DatabaseFile(dm.dataDir());
    QRandomGenerator random(42);
    QSqlQuery line(db);
    line.prepare("INSERT INTO Apt2 (AptID, DongInt, Dong, HoInt, Ho, BankCode, BankNo, IcheDate, "
                 "IcheMoney, Bigo, Kita, NapbuNo) VALUES (?, ?, ?, ?, ?, '11', ?, '2024-03-25', ?, "
                 "?, ?, ?)");
    for (int b = 1; QFileInfo(file).size() < megabytes << 20; ++b) {
        store::TransactionGuard tx(db);
        for (int i = 0; i < 20000; ++i) {
            const int dong = 101 + i / 200, ho = 101 + i % 200;
            line.addBindValue(b);
            line.addBindValue(dong);
            line.addBindValue(QString::number(dong));
            line.addBindValue(ho);
            line.addBindValue(QString::number(ho));
            line.addBindValue(QString::number(random.bounded(100000000)) +
                              QString::number(random.bounded(100000)));
            line.addBindValue(10000 + random.bounded(300000));
            line.addBindValue(QStringLiteral("입주자%1").arg(random.bounded(100000)));
            line.addBindValue(QStringLiteral("예금주%1").arg(random.bounded(100000)));
            line.addBindValue(QString::number(random.bounded(1000000000)));
            if (!line.exec())
                return false;
        }
        if (!tx.commit())
            return false;
    }
    return true;
}

double seconds(const std::function<bool()>& run, bool& ok)
{
    QElapsedTimer t;
    t.start();
    ok = run();
    return t.nsecsElapsed() / 1e9;
}

bool tool(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    return p.waitForFinished(-1) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const qint64 megabytes = argc > 1 ? QString(argv[1]).toLongLong() : 200;
    QTemporaryDir registry, home, out;
    qputenv("PELMAR_REGISTRY_DIR", registry.path().toLocal8Bit());
    shell::Workspace ws = shell::LoadWorkspacePaths(home.path());
    shell::SetLogWorkspace(ws);
    shell::ConsoleUi ui(shell::ConsoleUi::AlwaysYes);
    ui.setQuiet(true);
    {
        store::TDM1 dm(ui, ws);
        if (!dm.PrepareDatabase(ws.dataDir) || !fill(dm, megabytes)) {
            std::fprintf(stderr, "could not fill the database\n");
            return 2;
        }
    }
    const QString db = store::TDM1::DatabaseFile(ws.dataDir);
    std::printf("database %.0f MB\n", QFileInfo(db).size() / 1048576.0);

    bool ok = false;
    const QString zipped = out.filePath("zip9.zip");
    const double zipTime = seconds([&] { return tool("zip", {"-9", "-j", "-q", zipped, db}); }, ok);
    if (!ok)
        return 2;
    maintenance::Context ctx{ui, ws, maintenance::Program::Pelmar, {}};
    QString archive;
    const double backupTime =
        seconds([&] { return maintenance::Backup(ctx, out.path() + "/", &archive); }, ok);
    if (!ok)
        return 2;

    const QString unpacked = out.filePath("unzipped");
    const double unzipTime = seconds(
        [&] {
            return tool("unzip", {"-o", "-q", zipped, "-d", unpacked});
        },
        ok);
    if (!ok)
        return 2;
    const double restoreTime =
        seconds([&] { return maintenance::ReplaceDataFromArchive(ui, ws, archive); }, ok);
    if (!ok)
        return 2;

    const double backupRatio = backupTime / zipTime;
    const double restoreRatio = restoreTime / unzipTime;
    PrintResult("backup, database to archive", backupTime, 1.5 * zipTime, "zip -9", zipTime);
    std::printf("archive %.1f MB, zip -9 %.1f MB\n", QFileInfo(archive).size() / 1048576.0,
                QFileInfo(zipped).size() / 1048576.0);
    PrintResult("restore, archive to database", restoreTime, 1.5 * unzipTime, "unzip", unzipTime);
    return backupRatio <= 1.5 && restoreRatio <= 1.5 ? 0 : 1;
}
