// Imports without a window: transfer lines from a fixed-column file into a
// batch, and consents from a spreadsheet, as the two screens import them.

#include "apps/pelmar_tool/tool_command.h"
#include "codes/code_lists.h"
#include "consent/consent_import.h"
#include "reports/spreadsheet_reader.h"
#include "reports/spreadsheet_writer.h"
#include "shell/firm_ini.h"
#include "store/tdm1.h"
#include "transfer/batches.h"
#include "transfer/line_import.h"
#include "transfer/lines.h"

#include <QHash>

namespace {

// The options and the one file name after them.
bool splitArgs(const QStringList& args, const QStringList& known, QHash<QString, QString>& options,
               QString& file)
{
    if (args.isEmpty() || args.last().startsWith("--"))
        return false;
    file = args.last();
    return ReadToolOptions(args.mid(0, args.size() - 1), known, options);
}

int importLines(ToolContext& ctx, const QStringList& args)
{
    QHash<QString, QString> o;
    QString file;
    if (!splitArgs(args, {"batch", "layout"}, o, file) || !o.contains("layout"))
        return 2;
    bool ok = false;
    const int batchId = o.value("batch").toInt(&ok);
    if (!ok)
        return 2;
    store::TDM1 dm(ctx.ui, ctx.ws);
    if (!OpenToolData(ctx, dm))
        return 1;
    transfer::Batches batches(dm, ctx.ui);
    const std::optional<transfer::TransferBatch> batch = batches.Find(batchId);
    if (!batch) {
        ctx.ui.ShowError(QString("이체자료 %1 이(가) 없습니다.").arg(batchId));
        return 1;
    }
    if (!batch->editable()) {
        ctx.ui.ShowError(QString("이체자료 %1 은(는) 이미 송신되었습니다.").arg(batchId));
        return 1;
    }
    const std::optional<transfer::ImportLayout> layout = transfer::FindLayout(dm, o["layout"]);
    if (!layout) {
        ctx.ui.ShowError(QString("변환 설정 %1 이(가) 없습니다.").arg(o["layout"]));
        return 1;
    }
    const platform::Result<std::optional<codes::Institution>> found =
        batches.Institution(batch->GiganID10);
    if (!found) {
        ctx.ui.ShowError(found.error());
        return 1;
    }
    const std::optional<codes::Institution>& inst = *found;
    transfer::LineImport import(dm, ctx.ui, transfer::ImportTarget::Batch, batchId, batch->IcheDate,
                                shell::ReadAmountLimit(ctx.ws));
    const transfer::ImportOutcome done =
        import.Import(*layout, file, transfer::LinesCaption(inst ? inst->Name : QString()), false);
    if (!done.read)
        return 1;
    // Closing the lines screen brings the batch totals up to date; so does this.
    if (!batches.RecomputeTotals(batchId))
        return 1;
    ctx.out << "accepted\t" << done.imported << "\n"
            << "rejected\t" << done.errors.size() << "\n";
    if (!done.errorFile.isEmpty())
        ctx.out << "report\t" << done.errorFile << "\n";
    return 0;
}

int importConsents(ToolContext& ctx, const QStringList& args)
{
    QHash<QString, QString> o;
    QString file;
    if (!splitArgs(args, {"layout"}, o, file))
        return 2;
    store::TDM1 dm(ctx.ui, ctx.ws);
    if (!OpenToolData(ctx, dm))
        return 1;
    const platform::Result<reports::SheetRows> sheet = reports::ReadFirstSheet(file);
    if (!sheet) {
        ctx.ui.ShowError(sheet.error());
        return 1;
    }
    platform::Result<reports::SheetRows> read = reports::ImportRows(*sheet, 10, file);
    if (!read) {
        ctx.ui.ShowError(read.error());
        return 1;
    }
    reports::SheetRows rows = std::move(read).value();
    if (rows.first().isEmpty())
        rows.first() = consent::ImportColumnNames();
    codes::CodeLists codes;
    codes::ReloadCodeLists(dm.db(), codes);
    const consent::ConsentPreview preview = consent::CheckConsentRows(rows, codes);
    for (const QString& line : preview.accountErrors)
        ctx.err << "계좌 재확인 필요: " << line << "\n";
    if (preview.blocked()) {
        for (const QString& line : preview.errors)
            ctx.err << "오류: " << line << "\n";
        ctx.ui.ShowError(QString("오류 %1 건: 변환하지 않았습니다.").arg(preview.errors.size()));
        return 1;
    }
    const consent::ConsentImportOutcome done =
        consent::ImportConsentRows(dm.db(), ctx.ui, preview.rows, "pelmar-tool import-consents",
                                   o.value("layout", "출금동의"), file, ctx.ws.tempDir());
    if (done.failed)
        return 1;
    ctx.out << "accepted\t" << done.imported << "\n"
            << "rejected\t" << int(preview.rows.size() - 1) - done.imported << "\n";
    if (!done.reportPath.isEmpty())
        ctx.out << "report\t" << done.reportPath << "\n";
    return 0;
}

// The consent-request template that import-consents reads, written where
// the caller says (the main window's entry writes it under Temp/).
int consentTemplate(ToolContext& ctx, const QStringList& args)
{
    if (args.size() != 1 || args[0].startsWith("--"))
        return 2;
    if (const platform::Result<> written = reports::WriteConsentTemplateFile(ctx.ui, args[0]);
        !written) {
        ctx.ui.ShowError(written.error());
        return 1;
    }
    return 0;
}

} // namespace

QList<ToolCommand> ImportCommands()
{
    return {
        {"import-lines", "--batch N --layout NAME FILE",
         "import a fixed-column file into a batch by a stored layout; prints the accepted and "
         "rejected counts and the error file",
         importLines},
        {"import-consents", "[--layout NAME] FILE",
         "import consents from a spreadsheet (.xlsx, .ods, .xls, .csv); prints the accepted and "
         "rejected counts and the report file",
         importConsents},
        {"consent-template", "FILE.xlsx",
         "write the consent-request template that import-consents reads", consentTemplate},
    };
}
