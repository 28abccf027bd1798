// The request and result runs at full size: 100,000 lines in 50 batches.
// Times `pelmar-tool build-requests` (limit 1.5 s) and `pelmar-tool
// apply-results` of clearing-sim's answer (limit 3 s) as whole processes,
// and prints each as a ratio to the sqlite3 command-line tool running the
// same UPDATE of every line in one transaction on a copy of the database.
// The copy is updated with the table checks off, since the checks call a
// function only the program registers.
//
// usage: bench_exchange [--keep DIR]   (exit 1 when a limit is exceeded)

#include "shell/workspace.h"
#include "store/database.h"
#include "store/tdm1.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int kBatches = 50;
constexpr int kLinesPerBatch = 2000;

QString g_home;

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

// The batches and lines, put in as the screens would leave them.
void fill(const QString& dbFile)
{
    const store::OpenResult r = store::OpenDatabase("bench", dbFile);
    if (!r.ok) {
        std::fprintf(stderr, "bench_exchange: %s\n", qPrintable(r.message));
        std::exit(2);
    }
    {
        QSqlDatabase db = QSqlDatabase::database("bench", false);
        QSqlQuery q(db);
        db.transaction();
        q.exec("INSERT INTO UserCode (Name, APOUT, APIN, APPASS, APID10, APBCODE, BankNoApt, "
               "TREGISTEROUT, TREGISTERIN, AUTHSENDTYPE) VALUES ('푸른마을아파트', 'AB100', "
               "'AB200', 'pw', 'A123456789', 'BK12345', '301-0123-4567-81', 'NA200', 'NA200', "
               "'제출')");
        QSqlQuery batch(db), line(db);
        batch.prepare(
            "INSERT INTO Apt1 (AptID, GiganID10, FileGubun, BankCode, MoBankNo, IcheDate, "
            "IcheEDate, Pass, State) VALUES (?, 'A123456789', '11', '35', "
            "'301-0123-4567-81', ?, ?, 'pw', 1)");
        line.prepare(
            "INSERT INTO Apt2 (AptID, DongInt, Dong, HoInt, Ho, BankCode, BankNo, IcheDate, "
            "IcheMoney, IcheYebu, State, NapbuNo, Bigo, Kita) "
            "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, 'Z', 1, ?, '입주자', '예금주')");
        const char* banks[] = {"11", "13", "04", "20"};
        for (int b = 1; b <= kBatches; ++b) {
            const QString date = QDate(2024, 3, 18).addDays(b % 4).toString(Qt::ISODate);
            batch.addBindValue(b);
            batch.addBindValue(date);
            batch.addBindValue(date);
            batch.exec();
            for (int i = 0; i < kLinesPerBatch; ++i) {
                const QString dong = QString::number(100 + i / 100);
                const QString ho = QString::number(101 + i % 100);
                line.addBindValue(b);
                line.addBindValue(dong.toInt());
                line.addBindValue(dong);
                line.addBindValue(ho.toInt());
                line.addBindValue(ho);
                line.addBindValue(banks[i % 4]);
                line.addBindValue(QString("3010%1").arg(b * 100000 + i, 9, 10, QChar('0')));
                line.addBindValue(date);
                line.addBindValue(10000 + i * 10);
                line.addBindValue(dong + ho);
                if (!line.exec()) {
                    std::fprintf(stderr, "bench_exchange: %s\n",
                                 qPrintable(line.lastError().text()));
                    std::exit(2);
                }
            }
        }
        db.commit();
    }
    store::CloseDatabase("bench");
}

// The sqlite3 tool's time for one UPDATE of every line on a fresh copy.
double reference(const QString& dbFile, const QString& update)
{
    const QString copy = dbFile + ".ref";
    QFile::remove(copy);
    QFile::copy(dbFile, copy);
    const QByteArray script =
        "PRAGMA ignore_check_constraints=ON;\nBEGIN;\n" + update.toUtf8() + ";\nCOMMIT;\n";
    const double t = runTimed("sqlite3", {copy}, script);
    QFile::remove(copy);
    return t;
}

bool report(const char* what, double seconds, double limit, double ref)
{
    std::printf("%-16s %6.3f s  (limit %.1f s)  %6.1f x sqlite3 UPDATE (%.3f s)  %s\n", what,
                seconds, limit, seconds / ref, ref, seconds <= limit ? "ok" : "OVER");
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
    const double build = tool({"build-requests"});
    tool({"link", "send"});
    const double centre = runTimed(CLEARING_SIM, {"--home", g_home, "--fail-every", "7"});
    tool({"link", "receive"});
    const double refApply = reference(
        dbFile,
        "UPDATE Apt2 SET IcheYebu = 'Y', ResultID4 = '0000', Rdate = '2024-03-15', State = 3");
    const double apply = tool({"apply-results"});

    const bool ok = report("build-requests", build, 1.5, refBuild) &
                    report("apply-results", apply, 3.0, refApply);
    std::printf("%-16s %6.3f s  (the stand-in centre, not rated)\n", "clearing-sim", centre);
    return ok ? 0 : 1;
}
