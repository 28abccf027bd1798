// The desktop program over a large branch's month (`pelmar-tool make-demo
// --size large`: 40 complexes, 120 batches, about 300,000 lines and 30,000
// consents): the main window's creation and first showing (target under
// 1 s), and the lines screen of a batch of 20,000 lines added to that
// month, opened and closed (under 0.5 s). Each is timed once, as the user
// meets it, offscreen.

#include "bench/bench_result.h"
#include "shell/console_ui.h"
#include "shell/log.h"
#include "shell/ui/main_window.h"
#include "shell/ui/qt_ui.h"
#include "shell/ui/screen_catalog.h"
#include "shell/workspace.h"
#include "store/tdm1.h"
#include "store/transaction_guard.h"
#include "transfer/ui/tfm_apt2.h"

#include <QApplication>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>

namespace {

constexpr int kLines = 20000;

template <typename Work> double Seconds(Work work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// A new waiting batch of the last batch's institution and date, with
// kLines lines copied from the month's lines; its number.
int AddLargeBatch(store::TDM1& dm, QString& error)
{
    QSqlDatabase db = dm.db();
    store::TransactionGuard tx(db);
    QSqlQuery q(db);
    const bool ok =
        q.exec("INSERT INTO Apt1 (AptID, GiganID10, FileGubun, BankCode, MoBankNo, IcheDate, "
               "IcheEDate, Pass, State, TotNo, TotMoney) "
               "SELECT AptID + 1, GiganID10, FileGubun, BankCode, MoBankNo, IcheDate, IcheEDate, "
               "Pass, 1, 0, 0 FROM Apt1 ORDER BY AptID DESC LIMIT 1") &&
        q.exec(QString("INSERT INTO Apt2 (AptID, DongInt, Dong, HoInt, Ho, BankCode, BankNo, "
                       "IcheDate, IcheMoney, NapbuNo, State, Bigo, Kita) "
                       "SELECT (SELECT Max(AptID) FROM Apt1), DongInt, Dong, HoInt, Ho, BankCode, "
                       "BankNo, (SELECT IcheDate FROM Apt1 ORDER BY AptID DESC LIMIT 1), "
                       "IcheMoney, NapbuNo, 1, Bigo, Kita FROM Apt2 ORDER BY Apt2ID LIMIT %1")
                   .arg(kLines)) &&
        q.exec("SELECT Max(AptID) FROM Apt1") && q.next();
    if (!ok || !tx.commit()) {
        error = q.lastError().text() + tx.error().text();
        return 0;
    }
    return q.value(0).toInt();
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir temp;
    qputenv("PELMAR_REGISTRY_DIR", (temp.path() + "/registry").toLocal8Bit());
    QApplication app(argc, argv);
    const QString home = temp.path() + "/home";

    QProcess demo;
    demo.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    demo.start(shell::ExecutableDir() + "pelmar-tool",
               {"--quiet", "--home", home, "make-demo", "--size", "large"});
    if (!demo.waitForFinished(600000) || demo.exitCode() != 0) {
        std::fprintf(stderr, "bench_large_branch: make-demo --size large failed\n");
        return 2;
    }
    shell::Workspace ws = shell::LoadWorkspacePaths(home);
    shell::SetLogWorkspace(ws);

    shell::ConsoleUi console(shell::ConsoleUi::AlwaysYes);
    console.setQuiet(true);
    shell::ui::ScreenCatalog catalog;
    const double mainWindow = Seconds([&] {
        store::TDM1 dm(console, ws);
        shell::ui::TfmMain window(console, dm, ws, catalog, {"TEST"});
        window.FormCreate();
        window.FormShow();
    });

    shell::ui::QtUi ui;
    store::TDM1 dm(ui, ws);
    QString error;
    const int batch = dm.Connect(ws.dataDir) && dm.OpenTables() ? AddLargeBatch(dm, error) : 0;
    if (batch == 0) {
        std::fprintf(stderr, "bench_large_branch: the 20,000-line batch could not be added: %s\n",
                     qPrintable(error));
        return 2;
    }
    const double lines = Seconds([&] {
        transfer::TfmApt2 screen(dm, ui, batch);
        screen.BtnCloseClick();
    });

    PrintResult("main window, large branch's month", mainWindow, 1.0);
    PrintResult("lines screen, 20,000 lines in a large branch", lines, 0.5);
    return mainWindow <= 1.0 && lines <= 0.5 ? 0 : 1;
}
