// 수납 현황 over a large branch (`pelmar-tool make-demo --size large`, its
// first send received, the rest of the month sent and answered with every
// third line failed, so that the kept answers are there to be checked):
// `pelmar-tool collections` for the month with the most lines, as a
// process (target under 1 s), and the screen opened on it in this process,
// offscreen, until it has shown the month and its chart (under 1 s).
//
// usage: bench_collections [--home DIR]   (exit 1 when a target is missed)

#include "bench/bench_result.h"
#include "reports/ui/tfm_collections.h"
#include "shell/console_ui.h"
#include "shell/log.h"
#include "shell/workspace.h"
#include "store/tdm1.h"

#include <QApplication>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QProcess>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTemporaryDir>

#include <cstdio>

namespace {

bool run(const QString& program, const QStringList& args, QString* out = nullptr)
{
    QProcess p;
    // The set-up's own output is no part of the measurement's log.
    if (!out)
        p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start(program, args);
    if (!p.waitForFinished(900000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        std::fprintf(stderr, "bench_collections: %s %s failed\n", qPrintable(program),
                     qPrintable(args.join(' ')));
        return false;
    }
    if (out)
        *out = QString::fromUtf8(p.readAllStandardOutput());
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir temp;
    qputenv("PELMAR_REGISTRY_DIR", (temp.path() + "/registry").toLocal8Bit());
    qputenv("PELMAR_NOW", "2024-03-15 10:30:00");
    QApplication app(argc, argv);
    // --home DIR measures a branch made before (by this benchmark's steps).
    const QStringList args = app.arguments();
    const bool made = args.size() == 3 && args[1] == "--home";
    const QString home = made ? args[2] : temp.path() + "/home";
    const QString tool = shell::ExecutableDir() + "pelmar-tool";
    const QStringList quiet{"--quiet", "--home", home};
    if (!made &&
        (!run(tool, quiet + QStringList{"make-demo", "--size", "large"}) ||
         !run(tool, quiet + QStringList{"--yes", "receive"}) ||
         !run(tool, quiet + QStringList{"--yes", "send"}) ||
         !run(shell::ExecutableDir() + "clearing-sim", {"--home", home, "--fail-every", "3"}) ||
         !run(tool, quiet + QStringList{"--yes", "receive"})))
        return 2;

    shell::Workspace ws = shell::LoadWorkspacePaths(home);
    shell::SetLogWorkspace(ws);
    shell::ConsoleUi ui(shell::ConsoleUi::AlwaysYes);
    store::TDM1 dm(ui, ws);
    if (!dm.Connect(ws.dataDir) || !dm.OpenTables())
        return 2;
    QSqlQuery q(dm.db());
    if (!q.exec("SELECT substr(a.IcheDate, 1, 7), count(*) FROM Apt1 a JOIN Apt2 l "
                "ON l.AptID = a.AptID COLLATE NOCASE GROUP BY 1 ORDER BY 2 DESC LIMIT 1") ||
        !q.next())
        return 2;
    const QString month = q.value(0).toString();
    const qint64 lines = q.value(1).toLongLong();
    q.finish();

    QElapsedTimer t;
    t.start();
    QString out;
    if (!run(tool, quiet + QStringList{"collections", "--month", month}, &out))
        return 2;
    const double command = t.elapsed() / 1000.0;

    t.restart();
    {
        reports::TfmCollections screen(dm.db(), ui, ws);
        screen.monthEdit()->setDate(QDate::fromString(month + "-01", "yyyy-MM-dd"));
        screen.show();
        // The month is read once the window is on screen.
        while (screen.grid()->rowCount() == 0 && t.elapsed() < 10000)
            QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
    const double opened = t.elapsed() / 1000.0;

    std::printf("month %s: %lld lines, %lld institutions\n", qPrintable(month), lines,
                qlonglong(out.count('\n') - 1));
    PrintResult("collections, a large branch's month", command, 1.0);
    PrintResult("collection screen opened, large branch", opened, 1.0);
    return command <= 1.0 && opened <= 1.0 ? 0 : 1;
}
