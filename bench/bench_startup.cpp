// Start-up speed: `pelmar-tool prepare-db` on a fresh folder (target under
// 1 s) and the main window's creation and first showing over a database of
// 100,000 transfer lines (target under 1 s), offscreen.

#include "shell/app_info.h"
#include "shell/console_ui.h"
#include "shell/log.h"
#include "shell/ui/main_window.h"
#include "shell/ui/screen_catalog.h"
#include "shell/workspace.h"
#include "store/tdm1.h"
#include "store/transaction_guard.h"

#include <QApplication>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include "bench/gbench_result.h"

#include <cstdio>

namespace {

QString toolPath()
{
    return shell::ExecutableDir() + "pelmar-tool";
}

void BM_PrepareDbFreshFolder(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        state.ResumeTiming();
        QProcess p;
        p.start(toolPath(), {"--home", dir.path(), "--quiet", "prepare-db"});
        p.waitForFinished(60000);
        if (p.exitCode() != 0)
            state.SkipWithError("prepare-db failed");
    }
}
BENCHMARK(BM_PrepareDbFreshFolder)->Unit(benchmark::kMillisecond)->Iterations(5);

// 50 batches of 2,000 lines.
bool fillLines(store::TDM1& dm)
{
    QSqlDatabase db = dm.db();
    store::TransactionGuard tx(db);
    QSqlQuery batch(db), line(db);
    batch.prepare("INSERT INTO Apt1 (AptID, GiganID10, IcheDate, State, TotNo, TotMoney) "
                  "VALUES (?, 'A123456789', '2024-03-25', 0, 2000, 100000000)");
    line.prepare("INSERT INTO Apt2 (AptID, DongInt, Dong, HoInt, Ho, BankCode, BankNo, IcheDate, "
                 "IcheMoney, Bigo) VALUES (?, ?, ?, ?, ?, '11', '3021234567801', '2024-03-25', "
                 "50000, ?)");
    for (int b = 1; b <= 50; ++b) {
        batch.addBindValue(b);
        if (!batch.exec())
            return false;
        for (int i = 0; i < 2000; ++i) {
            const int dong = 101 + i / 200, ho = 101 + i % 200;
            line.addBindValue(b);
            line.addBindValue(dong);
            line.addBindValue(QString::number(dong));
            line.addBindValue(ho);
            line.addBindValue(QString::number(ho));
            line.addBindValue(QStringLiteral("입주자%1").arg(i));
            if (!line.exec())
                return false;
        }
    }
    return tx.commit();
}

void BM_MainWindowWith100kLines(benchmark::State& state)
{
    QTemporaryDir home;
    QProcess p;
    p.start(toolPath(), {"--home", home.path(), "--quiet", "prepare-db"});
    p.waitForFinished(60000);
    shell::Workspace ws = shell::LoadWorkspacePaths(home.path());
    shell::SetLogWorkspace(ws);
    shell::ConsoleUi ui(shell::ConsoleUi::AlwaysYes);
    ui.setQuiet(true);
    {
        store::TDM1 dm(ui, ws);
        if (!dm.Connect(ws.dataDir) || !fillLines(dm)) {
            state.SkipWithError("could not fill the database");
            return;
        }
    }
    shell::ui::ScreenCatalog catalog;
    for (auto _ : state) {
        store::TDM1 dm(ui, ws);
        shell::ui::TfmMain window(ui, dm, ws, catalog, {"TEST"});
        window.FormCreate();
        window.FormShow();
        benchmark::DoNotOptimize(window.codeLists());
    }
}
BENCHMARK(BM_MainWindowWith100kLines)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir registry;
    qputenv("PELMAR_REGISTRY_DIR", registry.path().toLocal8Bit());
    QApplication app(argc, argv);
    return RunWithTargets(
        argc, argv,
        {{"BM_PrepareDbFreshFolder", "prepare-db, fresh folder", 1.0},
         {"BM_MainWindowWith100kLines", "main window, 100,000 lines", 1.0}});
}
