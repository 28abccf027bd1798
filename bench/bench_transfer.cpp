// The lines screen on a batch of 20,000 lines: opening it (the lines with
// their shown texts and the consent warning) and closing it (the totals by
// bank group), under 0.5 s together; and the amount change of all 20,000
// selected lines, under 0.5 s. Both run with the desktop program's wait
// window (offscreen), which lets events run at every progress step. Last,
// the amount change again with the change record on and off in turn.

#include "audit/audit_file.h"
#include "shell/clock.h"
#include "shell/log.h"
#include "shell/ui/qt_ui.h"
#include "shell/workspace.h"
#include "store/tdm1.h"
#include "store/transaction_guard.h"
#include "transfer/batches.h"
#include "transfer/lines.h"
#include "transfer/ui/tfm_apt2.h"

#include <QApplication>
#include <QSqlQuery>
#include <QTemporaryDir>
#include "bench/gbench_result.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>

namespace {

constexpr int kLines = 20000;
constexpr int kConsents = 15000;
constexpr int kBatch = 1;

struct Workspace
{
    QTemporaryDir home;
    QTemporaryDir registry;
    shell::ui::QtUi ui;
    std::unique_ptr<store::TDM1> dm;
};

Workspace* g_ws = nullptr;

// One institution, one batch of kLines lines over several banks, and a
// consent register in which most lines are registered.
bool Fill(store::TDM1& dm)
{
    store::TransactionGuard tx(dm.db());
    QSqlQuery q(dm.db());
    if (!q.exec("INSERT INTO UserCode (Name, APID10, APPASS, BankNoApt) VALUES "
                "('벤치아파트', 'A123456789', 'pw1234', '301-1234-5678-91')") ||
        !q.exec("INSERT INTO Apt1 (AptID, GiganID10, FileGubun, BankCode, IcheDate, IcheEDate, "
                "Pass, State, TotNo, TotMoney) VALUES (1, 'A123456789', '11', '35', '2024-03-20', "
                "'2024-03-20', 'pw1234', 1, 0, 0)"))
        return false;
    const char* banks[][2] = {{"11", "3011234567891"},  {"12", "3021234567892"},
                              {"04", "12345678901234"}, {"20", "1002123456789"},
                              {"88", "110123456789"},   {"71", "123456123456"}};
    q.prepare(
        "INSERT INTO Apt2 (AptID, Dong, DongInt, Ho, HoInt, BankCode, BankNo, IcheDate, "
        "IcheMoney, IcheYebu, NapbuNo, State, DataNo, Bigo, Kita) VALUES (?, ?, ?, ?, ?, ?, ?, "
        "'2024-03-20', ?, 'Z', ?, 1, ?, '홍길동', '홍길순')");
    QSqlQuery consent(dm.db());
    consent.prepare("INSERT INTO TongRegister (Giganid, Bankcd, Bankno, NapbuNO, Status) VALUES "
                    "('A123456789', ?, ?, ?, 2)");
    for (int i = 0; i < kLines; ++i) {
        const auto& bank = banks[i % 6];
        const QString dong = QString::number(101 + i / 200);
        const QString ho = QString::number(100 + i % 200);
        const QString number =
            QString(bank[1]).left(QString(bank[1]).size() - 5) + QString::number(10000 + i % 90000);
        for (const QVariant& v : QVariantList{kBatch, dong, dong.toInt(), ho, ho.toInt(), bank[0],
                                              number, 10000 + i, dong + ho, i + 1})
            q.addBindValue(v);
        if (!q.exec())
            return false;
        if (i < kConsents) {
            for (const QVariant& v : QVariantList{bank[0], number, dong + ho})
                consent.addBindValue(v);
            if (!consent.exec())
                return false;
        }
    }
    return tx.commit();
}

QList<int> AllLineIds(store::TDM1& dm)
{
    QList<int> ids;
    QSqlQuery q(dm.db());
    q.exec(QString("SELECT Apt2ID FROM Apt2 WHERE AptID = %1").arg(kBatch));
    while (q.next())
        ids.append(q.value(0).toInt());
    return ids;
}

void BM_OpenAndCloseLinesScreen(benchmark::State& state)
{
    for (auto _ : state) {
        transfer::TfmApt2 screen(*g_ws->dm, g_ws->ui, kBatch);
        benchmark::DoNotOptimize(screen.lines().size());
        screen.BtnCloseClick();
    }
    state.counters["lines"] = kLines;
}
BENCHMARK(BM_OpenAndCloseLinesScreen)->Unit(benchmark::kMillisecond);

void BM_LinesWithTheirTexts(benchmark::State& state)
{
    transfer::TransferLines lines(*g_ws->dm, g_ws->ui, kBatch);
    for (auto _ : state)
        benchmark::DoNotOptimize(lines.List()->size());
}
BENCHMARK(BM_LinesWithTheirTexts)->Unit(benchmark::kMillisecond);

void BM_WholeBatchConsentWarning(benchmark::State& state)
{
    transfer::TransferLines lines(*g_ws->dm, g_ws->ui, kBatch);
    for (auto _ : state)
        benchmark::DoNotOptimize(lines.MissingConsent());
}
BENCHMARK(BM_WholeBatchConsentWarning)->Unit(benchmark::kMillisecond);

void BM_RecomputeTotals(benchmark::State& state)
{
    transfer::Batches batches(*g_ws->dm, g_ws->ui);
    for (auto _ : state)
        benchmark::DoNotOptimize(batches.RecomputeTotals(kBatch));
}
BENCHMARK(BM_RecomputeTotals)->Unit(benchmark::kMillisecond);

void BM_ConsentCheckOfAllLines(benchmark::State& state)
{
    transfer::TransferLines lines(*g_ws->dm, g_ws->ui, kBatch);
    QList<transfer::TransferItem> all = *lines.List();
    for (auto _ : state)
        benchmark::DoNotOptimize(lines.FillConsent(all, "A123456789"));
}
BENCHMARK(BM_ConsentCheckOfAllLines)->Unit(benchmark::kMillisecond);

void BM_BulkAmountChange(benchmark::State& state)
{
    transfer::TransferLines lines(*g_ws->dm, g_ws->ui, kBatch);
    const QList<int> ids = AllLineIds(*g_ws->dm);
    int amount = 10000;
    for (auto _ : state)
        benchmark::DoNotOptimize(lines.SetAmount(ids, QString::number(++amount)));
    state.counters["lines"] = double(ids.size());
}
BENCHMARK(BM_BulkAmountChange)->Unit(benchmark::kMillisecond);

double Seconds(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Workspace ws;
    g_ws = &ws;
    qputenv("PELMAR_REGISTRY_DIR", ws.registry.path().toLocal8Bit());
    shell::FreezeNow(QDateTime(QDate(2024, 3, 15), QTime(10, 30)));
    const shell::Workspace paths = shell::LoadWorkspacePaths(ws.home.path());
    shell::SetLogWorkspace(paths);
    ws.dm = std::make_unique<store::TDM1>(ws.ui, paths);
    if (!ws.dm->PrepareDatabase(paths.dataDir) || !ws.dm->OpenTables() || !Fill(*ws.dm)) {
        std::fprintf(stderr, "bench_transfer: the workspace could not be prepared\n");
        return 1;
    }

    // One pass of each target first, as the user meets them.
    const double open = Seconds([&] {
        transfer::TfmApt2 screen(*ws.dm, ws.ui, kBatch);
        screen.BtnCloseClick();
    });
    const QList<int> ids = AllLineIds(*ws.dm);
    const double bulk =
        Seconds([&] { transfer::TransferLines(*ws.dm, ws.ui, kBatch).SetAmount(ids, "12345"); });
    PrintResult("lines screen, 20,000 lines, open and close", open, 0.5);
    PrintResult("bulk amount change, 20,000 lines", bulk, 0.5);

    const int rc = RunWithTargets(argc, argv, {});

    // The same change with the change record on and off (its benchmark
    // switch), alternately, the best of three each: the record may cost at
    // most half again.
    audit::Start(QStringLiteral("bench"), paths, {});
    double on = 1e9, off = 1e9;
    int amount = 20000;
    for (int round = 0; round < 3; ++round) {
        for (const bool record : {false, true}) {
            audit::SetRecordingForBenchmark(record);
            if (!ws.dm->Connect(paths.dataDir) || !ws.dm->OpenTables() ||
                audit::IsAttached(ws.dm->db()) != record) {
                std::fprintf(stderr, "bench_transfer: the change record could not be switched\n");
                return 1;
            }
            double& best = record ? on : off;
            best = std::min(best, Seconds([&] {
                transfer::TransferLines(*ws.dm, ws.ui, kBatch)
                    .SetAmount(ids, QString::number(++amount));
            }));
        }
    }
    PrintResult("bulk amount change, 20,000 lines, record on", on, 1.5 * off, "record off", off);
    ws.dm.reset();
    return rc;
}
