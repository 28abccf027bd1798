// Output commands: what the batch and lines screens print, export and save,
// without a window.

#include "apps/pelmar_tool/tool_command.h"
#include "audit/record.h"

#include <QFile>
#include "consent/consent_register.h"
#include "reports/line_report.h"
#include "reports/print/print_layouts.h"
#include "reports/spreadsheet_writer.h"
#include "shell/workspace.h"
#include "store/tdm1.h"
#include "transfer/batches.h"
#include "transfer/lines.h"

#include <QFileInfo>
#include <QPdfWriter>

namespace {

// The batch of "--batch N" with its lines, in entry order.
struct BatchLines
{
    transfer::TransferBatch batch;
    QList<transfer::TransferItem> lines;
};

std::optional<BatchLines> loadBatch(ToolContext& ctx, store::TDM1& dm, const QString& number,
                                   bool withConsent)
{
    bool ok = false;
    const int aptId = number.toInt(&ok);
    if (!ok || !OpenToolData(ctx, dm))
        return std::nullopt;
    const auto batch = transfer::Batches(dm, ctx.ui).Find(aptId);
    if (!batch) {
        ctx.ui.ShowError(QString("이체자료 %1 이(가) 없습니다.").arg(aptId));
        return std::nullopt;
    }
    transfer::TransferLines source(dm, ctx.ui, aptId);
    std::optional<QList<transfer::TransferItem>> lines = source.List();
    if (!lines || (withConsent && !source.FillConsent(*lines, batch->GiganID10)))
        return std::nullopt;
    return BatchLines{*batch, std::move(*lines)};
}

// Takes each "`option` VALUE" out of `args` into `value` (the last one
// wins); returns the other arguments in their order.
QStringList takeOption(const QStringList& args, const QString& option, QString& value)
{
    QStringList rest;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == option && i + 1 < args.size())
            value = args[++i];
        else
            rest.append(args[i]);
    }
    return rest;
}

// "--batch N" plus one positional argument (the output file).
bool batchAndFile(const QStringList& args, QString& batch, QString& file)
{
    const QStringList rest = takeOption(args, "--batch", batch);
    if (rest.size() == 1)
        file = rest.first();
    return !batch.isEmpty() && rest.size() <= 1;
}

int exportLines(ToolContext& ctx, const QStringList& args)
{
    QString number, file;
    if (!batchAndFile(args, number, file) || file.isEmpty())
        return 2;
    store::TDM1 dm(ctx.ui, ctx.ws);
    const auto b = loadBatch(ctx, dm, number, true);
    if (!b)
        return 1;
    reports::SheetRows rows;
    for (const transfer::TransferItem& l : b->lines)
        rows.append(transfer::ExportRow(l));
    const platform::Result<> written =
        reports::WriteExportWorkbook(ctx.ui, reports::ExportKind::TransferLines, rows, file);
    if (!written) {
        ctx.ui.ShowError(written.error());
        return 1;
    }
    ctx.out << file << "\t" << rows.size() << "\n";
    return 0;
}

int exportConsents(ToolContext& ctx, const QStringList& args)
{
    if (args.size() != 1)
        return 2;
    store::TDM1 dm(ctx.ui, ctx.ws);
    if (!OpenToolData(ctx, dm))
        return 1;
    const std::optional<QList<consent::ConsentRecord>> all =
        consent::ConsentRegister(dm.db(), ctx.ui).List(std::nullopt, consent::ConsentOrder::None);
    if (!all)
        return 1;
    reports::SheetRows rows;
    for (const consent::ConsentRecord& c : *all)
        rows.append(consent::ConsentExportRow(c));
    const platform::Result<> written =
        reports::WriteExportWorkbook(ctx.ui, reports::ExportKind::ConsentList, rows, args[0]);
    if (!written) {
        ctx.ui.ShowError(written.error());
        return 1;
    }
    ctx.out << args[0] << "\t" << rows.size() << "\n";
    return 0;
}

int textOutput(ToolContext& ctx, const QStringList& args)
{
    QString number, file;
    if (!batchAndFile(args, number, file))
        return 2;
    if (file.isEmpty())
        file = ctx.ws.programDir + "Rendal.txt";
    store::TDM1 dm(ctx.ui, ctx.ws);
    const auto b = loadBatch(ctx, dm, number, false);
    if (!b)
        return 1;
    switch (reports::SaveLinesText(ctx.ui, file, b->lines)) {
    case reports::SaveOutcome::Declined: {
        // Refused for want of --yes (3), or answered No by --no (1).
        const QString question = ctx.ui.refusedQuestion();
        if (question.isEmpty())
            return 1;
        ctx.err << "pelmar-tool: unanswered question: "
                << QString(question).replace('\r', ' ').simplified() << "\n";
        return 3;
    }
    case reports::SaveOutcome::Failed:
        return 1;
    case reports::SaveOutcome::Saved:
        break;
    }
    ctx.out << file << "\t" << b->lines.size() << "\n";
    return 0;
}

int printPdf(ToolContext& ctx, const QStringList& args)
{
    QString number, file;
    const QStringList rest = takeOption(args, "--pdf", file);
    QString ignored;
    if (file.isEmpty() || !batchAndFile(rest, number, ignored) || !ignored.isEmpty())
        return 2;
    store::TDM1 dm(ctx.ui, ctx.ws);
    const auto b = loadBatch(ctx, dm, number, false);
    if (!b)
        return 1;
    {
        QPdfWriter writer(file);
        writer.setTitle(reports::TransferListDocName());
        reports::PaintLineList(&writer, b->lines);
    }
    if (!QFileInfo(file).isFile()) {
        ctx.ui.ShowError(QStringLiteral("파일 저장에 실패했습니다."));
        return 1;
    }
    if (const platform::Result<> recorded = audit::RecordDownload(
            audit::action::Print, QStringLiteral("이체자료"), file, b->lines.size());
        !recorded) {
        QFile::remove(file);
        ctx.ui.ShowError(recorded.error());
        return 1;
    }
    ctx.out << file << "\t" << b->lines.size() << "\n";
    return 0;
}

} // namespace

QList<ToolCommand> ReportCommands()
{
    return {
        {"export-lines", "--batch N OUT.xlsx", "write a batch's lines as the spreadsheet export",
         exportLines, Reads},
        {"export-consents", "OUT.xlsx", "write every consent as the consent screen's export",
         exportConsents, Reads},
        {"text-output", "--batch N [FILE]",
         "write a batch's lines as the text output (default ProgramDir/Rendal.txt)", textOutput,
         Reads},
        {"print", "--batch N --pdf OUT.pdf", "print a batch's line list into a PDF file", printPdf,
         Reads},
    };
}

// The print command draws with fonts, which needs the GUI side of Qt.
bool ToolNeedsGui(const QStringList& args)
{
    return args.contains("print");
}
