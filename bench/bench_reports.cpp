// Output speed: the spreadsheet export of 100,000 lines (target under 3 s)
// and the PDF of a 20,000-line list (target under 5 s), with the lines as
// the lines screen reads them.

#include "reports/print/print_layouts.h"
#include "reports/spreadsheet_writer.h"
#include "shell/console_ui.h"
#include "transfer/lines.h"

#include <QApplication>
#include <QPrinter>
#include <QTemporaryDir>
#include "bench/gbench_result.h"

namespace {

QList<transfer::TransferItem> makeLines(int count)
{
    QList<transfer::TransferItem> lines;
    lines.reserve(count);
    for (int i = 0; i < count; ++i) {
        transfer::TransferItem l;
        l.Dong = QString::number(101 + i / 400);
        l.Ho = QString::number(101 + i % 400);
        l.Bigo = QStringLiteral("입주자%1").arg(i);
        l.Kita = QStringLiteral("예금주");
        l.BankCode = "11";
        l.BankName = QStringLiteral("Tervo중앙회");
        l.BankNo = "3021234567801";
        l.MBankNo = "302-1234-5678-01";
        l.NapbuNo = l.Dong + l.Ho;
        l.IcheMoney = 10000 + i;
        l.YebuName = QStringLiteral("정상");
        l.Stat = QStringLiteral("미송신");
        lines.append(l);
    }
    return lines;
}

void BM_ExportLines(benchmark::State& state)
{
    const auto lines = makeLines(int(state.range(0)));
    reports::SheetRows rows;
    for (const auto& l : lines)
        rows.append(transfer::ExportRow(l));
    QTemporaryDir dir;
    shell::ConsoleUi ui(shell::ConsoleUi::AlwaysNo);
    ui.setQuiet(true);
    for (auto _ : state)
        if (!reports::WriteExportWorkbook(ui, reports::ExportKind::TransferLines, rows,
                                          dir.path() + "/lines.xlsx"))
            state.SkipWithError("export failed");
    state.counters["lines_per_second"] =
        benchmark::Counter(double(rows.size()), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ExportLines)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_LineListPdf(benchmark::State& state)
{
    const auto lines = makeLines(int(state.range(0)));
    QTemporaryDir dir;
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.path() + "/lines.pdf");
        reports::PaintLineList(&printer, lines);
    }
    state.counters["lines_per_second"] =
        benchmark::Counter(double(lines.size()), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_LineListPdf)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return RunWithTargets(argc, argv,
                          {{"BM_ExportLines", "spreadsheet export, 100,000 lines", 3.0},
                           {"BM_LineListPdf", "PDF line list, 20,000 lines", 5.0}});
}
