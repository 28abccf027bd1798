// The two file imports at full size, with the desktop program's wait window
// (offscreen): 50,000 fixed-column lines into one batch, under 2 s, and a
// 20,000-row consent spreadsheet (read, checked and stored), under 3 s.

#include "audit/audit_file.h"
#include "bench/bench_result.h"
#include "codes/code_lists.h"
#include "consent/consent_import.h"
#include "reports/spreadsheet_reader.h"
#include "shell/clock.h"
#include "shell/codec.h"
#include "shell/log.h"
#include "shell/text_helpers.h"
#include "shell/ui/qt_ui.h"
#include "shell/workspace.h"
#include "store/tdm1.h"
#include "transfer/line_import.h"

#include <QApplication>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <xlsxwriter.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>

namespace {

constexpr int kLines = 50000;
constexpr int kConsents = 20000;

double Seconds(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

QByteArray cell(const QString& text, int width)
{
    return shell::PadBytes(shell::ToCp949(text), width, true, ' ');
}

bool WriteLines(const QString& path, int count = kLines)
{
    QByteArray out;
    for (int i = 0; i < count; ++i)
        out += cell(QString::number(101 + i / 500), 4) + cell(QString::number(i % 500), 4) +
               cell("홍길동", 10) + cell(i % 2 ? "11" : "12", 2) +
               cell(QString::number(30112345000LL + i), 20) + cell(QString::number(10000 + i), 12) +
               cell("800101", 14) + cell("홍길순", 10) + "\r\n";
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(out) == out.size();
}

bool WriteConsents(const QString& path)
{
    lxw_workbook* wb = workbook_new(QFile::encodeName(path).constData());
    lxw_worksheet* ws = workbook_add_worksheet(wb, "Miradel");
    const QStringList titles = consent::ImportColumnNames();
    for (int c = 0; c < titles.size(); ++c)
        worksheet_write_string(ws, 0, lxw_col_t(c), titles[c].toUtf8().constData(), nullptr);
    for (int r = 1; r <= kConsents; ++r) {
        const QStringList row = {"홍길동",
                                 "A123456789",
                                 "11",
                                 QString::number(3011234500LL + r),
                                 QString("P%1").arg(r),
                                 "800101",
                                 "20240301",
                                 "25",
                                 "001",
                                 "Y"};
        for (int c = 0; c < row.size(); ++c)
            worksheet_write_string(ws, lxw_row_t(r), lxw_col_t(c), row[c].toUtf8().constData(),
                                   nullptr);
    }
    return workbook_close(wb) == LXW_NO_ERROR;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir home, registry;
    qputenv("PELMAR_REGISTRY_DIR", registry.path().toLocal8Bit());
    shell::FreezeNow(QDateTime(QDate(2024, 3, 15), QTime(10, 30)));
    const shell::Workspace ws = shell::LoadWorkspacePaths(home.path());
    shell::SetLogWorkspace(ws);
    shell::ui::QtUi ui;
    auto dm = std::make_unique<store::TDM1>(ui, ws);
    const QString lines = home.filePath("lines.prn");
    const QString sheet = home.filePath("consents.xlsx");
    if (!dm->PrepareDatabase(ws.dataDir) || !dm->OpenTables() || !WriteLines(lines) ||
        !WriteConsents(sheet) ||
        !QSqlQuery(dm->db()).exec(
            "INSERT INTO UserCode (Name, APID10, APPASS, BankNoApt) VALUES ('벤치아파트', "
            "'A123456789', 'pw1234', '301-1234-5678-91')")) {
        std::fprintf(stderr, "bench_import: the workspace could not be prepared\n");
        return 1;
    }

    transfer::ImportLayout layout;
    const int starts[] = {1, 5, 9, 19, 21, 41, 53, 67};
    const int sizes[] = {4, 4, 10, 2, 20, 12, 14, 10};
    for (int i = 0; i < transfer::ItemCount; ++i) {
        layout.start[i] = starts[i];
        layout.size[i] = sizes[i];
    }
    int imported = 0;
    const double lineTime = Seconds([&] {
        imported = transfer::LineImport(*dm, ui, transfer::ImportTarget::Batch, 1,
                                        QDate(2024, 3, 20), 5000000)
                       .Run(layout, lines)
                       .imported;
    });
    if (imported != kLines)
        std::fprintf(stderr, "bench_import: %d of %d lines imported\n", imported, kLines);
    PrintResult("fixed-column import, 100,000 lines", lineTime, 2.0);

    int stored = 0;
    const double consentTime = Seconds([&] {
        const auto rows = reports::ReadFirstSheet(sheet);
        if (!rows)
            return;
        codes::CodeLists codes;
        codes::ReloadCodeLists(dm->db(), codes);
        const consent::ConsentPreview p =
            consent::CheckConsentRows(reports::PreviewRows(*rows, 10), codes);
        if (p.blocked())
            return;
        stored = consent::ImportConsentRows(dm->db(), ui, p.rows, "bench", "출금동의", sheet,
                                            ws.tempDir())
                     .imported;
    });
    if (stored != kConsents)
        std::fprintf(stderr, "bench_import: %d of %d consents stored\n", stored, kConsents);
    PrintResult("consent spreadsheet import", consentTime, 3.0);
    dm.reset();
    // 100,000 fixed lines with the change record on and off (its benchmark
    // switch), alternately, each into a batch of its own that is emptied
    // afterwards with the record off; the best of two each. The import is
    // one row of the record, so the record may cost at most half again.
    const QString big = home.filePath("lines-100000.prn");
    if (!WriteLines(big, 100000)) {
        std::fprintf(stderr, "bench_import: the file could not be written\n");
        return 1;
    }
    audit::Start(QStringLiteral("bench"), ws, {});
    dm = std::make_unique<store::TDM1>(ui, ws);
    const auto connect = [&](bool record) {
        audit::SetRecordingForBenchmark(record);
        return dm->Connect(ws.dataDir) && dm->OpenTables() &&
               audit::IsAttached(dm->db()) == record;
    };
    double on = 1e9, off = 1e9;
    int batch = 100;
    for (int round = 0; round < 2; ++round) {
        for (const bool record : {false, true}) {
            if (!connect(record)) {
                std::fprintf(stderr, "bench_import: the change record could not be switched\n");
                return 1;
            }
            ++batch;
            int done = 0;
            double& best = record ? on : off;
            best = std::min(best, Seconds([&] {
                done = transfer::LineImport(*dm, ui, transfer::ImportTarget::Batch, batch,
                                            QDate(2024, 3, 20), 5000000)
                           .Run(layout, big)
                           .imported;
            }));
            if (done != 100000)
                std::fprintf(stderr, "bench_import: %d of 100000 lines imported\n", done);
            if (!connect(false) ||
                !QSqlQuery(dm->db()).exec(QString("DELETE FROM Apt2 WHERE AptID = %1").arg(batch))) {
                std::fprintf(stderr, "bench_import: the batch could not be emptied\n");
                return 1;
            }
        }
    }
    PrintResult("fixed-column import, 100,000 lines, record on", on, 1.5 * off, "record off", off);
    dm.reset();

    return imported == kLines && stored == kConsents ? 0 : 1;
}
