// The request and result runs at full size: 100,000 lines in 50 batches.
// Times `pelmar-tool build-requests` (limit 1.5 s) and `pelmar-tool
// apply-results` of clearing-sim's answer (limit 3 s) as whole processes,
// and prints each as a ratio to the sqlite3 command-line tool running the
// same UPDATE of every line in one transaction on a copy of the database
// without its CHECK constraints.
//
// usage: bench_exchange [--keep DIR]   (exit 1 when a limit is exceeded)
// --keep leaves the workspace in DIR, with the database as it was before
// each measured step (Data/Pelmar.db.before-build, .before-apply).

#include "bench/bench_result.h"
#include "shell/workspace.h"
#include "store/tdm1.h"
#include "tests/support/full_size.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int kBatches = 50;
constexpr int kLinesPerBatch = 2000;

QString g_home;
bool g_keep = false;

double runTimed(const QString& program, const QStringList& args, const QByteArray& input = {})
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer t;
    t.start();
    p.start(program, args);
    if (!input.isEmpty()) {
        p.write(input);
        p.closeWriteChannel();
    }
    if (!p.waitForFinished(600000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        std::fprintf(stderr, "bench_exchange: %s %s failed (%d)\n%s\n", qPrintable(program),
                     qPrintable(args.join(' ')), p.exitCode(),
                     p.readAllStandardOutput().constData());
        std::exit(2);
    }
    p.readAllStandardOutput();
    return t.elapsed() / 1000.0;
}

double tool(const QStringList& args)
{
    return runTimed(PELMAR_TOOL, QStringList{"--quiet", "--home", g_home} + args);
}

void fill(const QString& dbFile)
{
    const QString error = testing_support::FillFullSizeBatches(dbFile, kBatches, kLinesPerBatch);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "bench_exchange: %s\n", qPrintable(error));
        std::exit(2);
    }
}

// Takes the CHECK constraints out of the copy's table definitions. They
// do not change how rows are stored, so the schema text is edited in place.
void dropChecks(const QString& file)
{
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "reference");
        db.setDatabaseName(file);
        QSqlQuery q(db);
        if (!db.open() || !q.exec("PRAGMA schema_version") || !q.next()) {
            error = db.lastError().text() + q.lastError().text();
        } else {
            const int version = q.value(0).toInt();
            static const QRegularExpression check(" CONSTRAINT \\w+ CHECK \\([^()]*\\)");
            QList<std::pair<QString, QString>> tables;
            q.exec("SELECT name, sql FROM sqlite_master WHERE type = 'table' AND sql LIKE '% CHECK "
                   "(%'");
            while (q.next())
                tables.append({q.value(0).toString(), q.value(1).toString().remove(check)});
            q.exec("PRAGMA writable_schema = ON");
            for (const auto& [name, sql] : tables) {
                q.prepare("UPDATE sqlite_master SET sql = ? WHERE type = 'table' AND name = ?");
                q.addBindValue(sql);
                q.addBindValue(name);
                if (!q.exec())
                    error = q.lastError().text();
            }
            q.exec(QString("PRAGMA schema_version = %1").arg(version + 1));
            q.exec("PRAGMA writable_schema = OFF");
            if (q.exec("SELECT count(*) FROM sqlite_master WHERE sql LIKE '% CHECK (%'") &&
                q.next() && q.value(0).toInt() != 0)
                error = "CHECK constraints left in the reference copy";
        }
        db.close();
    }
    QSqlDatabase::removeDatabase("reference");
    if (!error.isEmpty()) {
        std::fprintf(stderr, "bench_exchange: %s\n", qPrintable(error));
        std::exit(2);
    }
}

// The sqlite3 tool's time for one UPDATE of every line on a fresh copy
// without CHECK constraints.
double reference(const QString& dbFile, const QString& update)
{
    const QString copy = dbFile + ".ref";
    QFile::remove(copy);
    QFile::copy(dbFile, copy);
    dropChecks(copy);
    const QByteArray script = "BEGIN;\n" + update.toUtf8() + ";\nCOMMIT;\n";
    const double t = runTimed("sqlite3", {copy}, script);
    QFile::remove(copy);
    return t;
}

// With --keep, the database as it stands before a step, so that the step
// can be run again under a profiler.
void snapshot(const QString& dbFile, const QString& step)
{
    if (!g_keep)
        return;
    QFile::remove(dbFile + '.' + step);
    QFile::copy(dbFile, dbFile + '.' + step);
}

bool report(const char* what, double seconds, double limit, double ref)
{
    PrintResult(what, seconds, limit, "sqlite3 UPDATE", ref);
    return seconds <= limit;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir temp;
    QString keep;
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == "--keep")
        keep = args[2];
    g_home = keep.isEmpty() ? temp.path() + "/home" : keep;
    g_keep = !keep.isEmpty();
    QDir(g_home).removeRecursively();
    qputenv("PELMAR_REGISTRY_DIR", (g_home + "/registry").toLocal8Bit());
    qputenv("PELMAR_NOW", "2024-03-15 10:30:00");

    tool({"prepare-db"});
    tool({"link", "setup", "LoginID=BR0001"});
    const QString dbFile = store::TDM1::DatabaseFile(g_home + "/Data");
    fill(dbFile);
    std::printf("%d lines in %d batches\n", kBatches * kLinesPerBatch, kBatches);

    const double refBuild =
        reference(dbFile, "UPDATE Apt2 SET DataNo = Apt2ID, IcheDate = IcheDate");
    snapshot(dbFile, "before-build");
    const double build = tool({"build-requests"});
    tool({"link", "send"});
    const double centre = runTimed(CLEARING_SIM, {"--home", g_home, "--fail-every", "7"});
    tool({"link", "receive"});
    snapshot(dbFile, "before-apply");
    const double refApply = reference(
        dbFile,
        "UPDATE Apt2 SET IcheYebu = 'Y', ResultID4 = '0000', Rdate = '2024-03-15', State = 3");
    const double apply = tool({"apply-results"});

    const bool ok = report("build-requests, 100,000 lines", build, 1.5, refBuild) &
                    report("apply-results, 100,000 lines", apply, 3.0, refApply);
    std::printf("%-16s %6.3f s  (the stand-in centre, not rated)\n", "clearing-sim", centre);
    return ok ? 0 : 1;
}
