// 수납 현황 on the command line: the month's figures per institution, the
// failed lines by result code, the kept answers that disagree with the
// lines, and the twelve months' chart.

#include "apps/pelmar_tool/tool_command.h"
#include "reports/collections.h"
#include "shell/kept_files.h"
#include "shell/workspace.h"
#include "store/tdm1.h"

namespace {

int collections(ToolContext& ctx, const QStringList& args)
{
    reports::CollectionQuery query;
    QString chart;
    bool byCode = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == "--by-code")
            byCode = true;
        else if ((a == "--month" || a == "--institution" || a == "--chart") && i + 1 < args.size())
            (a == "--month"         ? query.month
             : a == "--institution" ? query.institution
                                    : chart) = args[++i];
        else
            return 2;
    }
    if (query.month.isEmpty())
        return 2;
    if (!reports::ParseMonth(query.month).isValid()) {
        ctx.ui.ShowError(QString("월 [%1] 이 올바르지 않습니다 (YYYY-MM).").arg(query.month));
        return 2;
    }
    query.history = !chart.isEmpty();
    query.keptReceiveDir = shell::KeptReceiveDir(ctx.ws);

    store::TDM1 dm(ctx.ui, ctx.ws);
    if (!OpenToolData(ctx, dm))
        return 1;
    const platform::Result<reports::CollectionReport> report =
        reports::ReadCollections(dm.db(), query);
    if (!report) {
        ctx.ui.ShowError(report.error());
        return 1;
    }
    if (!chart.isEmpty()) {
        if (const platform::Result<> drawn =
                reports::WriteChartFile(*report, chart, ctx.ws.shippedDir);
            !drawn) {
            ctx.ui.ShowError(drawn.error());
            return 1;
        }
        shell::FollowUserUmask(chart);
    }
    for (const QString& line :
         byCode ? reports::FailureLines(*report) : reports::CollectionLines(*report))
        ctx.out << line << "\n";
    ctx.out.flush();
    for (const reports::TrailerWarning& w : report->warnings)
        ctx.err << "경고: " << w.message() << "\n";
    return 0;
}

} // namespace

QList<ToolCommand> CollectionCommands()
{
    return {
        {"collections", "--month YYYY-MM [--institution CODE] [--by-code] [--chart FILE.png]",
         "the month's collection status per institution (tab-separated, the branch total last); "
         "--by-code the failed lines by result code; --chart the twelve months' chart",
         collections, Reads},
    };
}
