// Transfer batch commands: the checks and switches of the batch screen,
// and the lines as the lines screen shows them.

#include "apps/pelmar_tool/tool_command.h"
#include "shell/workspace.h"
#include "store/tdm1.h"
#include "transfer/batches.h"
#include "transfer/lines.h"

#include <QHash>
#include <functional>

namespace {

std::optional<int> number(const QString& text)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    return ok ? std::optional<int>(v) : std::nullopt;
}

// Runs `body` over the workspace's data once it is open; 1 when it does not
// open (the data module has said why).
int withData(ToolContext& ctx, const std::function<int(store::TDM1&)>& body)
{
    store::TDM1 dm(ctx.ui, ctx.ws);
    return OpenToolData(ctx, dm) ? body(dm) : 1;
}

int newBatch(ToolContext& ctx, const QStringList& args)
{
    QHash<QString, QString> o;
    if (!ReadToolOptions(args, {"institution", "date", "password", "remark"}, o) ||
        !o.contains("institution") || !o.contains("date") || !o.contains("password"))
        return 2;
    const QDate date = QDate::fromString(o["date"], Qt::ISODate);
    if (!date.isValid())
        return 2;
    return withData(ctx, [&](store::TDM1& dm) {
        transfer::Batches batches(dm, ctx.ui);
        std::optional<transfer::TransferBatch> row = batches.NewBatch();
        if (!row)
            return 1;
        row->GiganID10 = o["institution"];
        row->IcheDate = date;
        row->Pass = o["password"];
        row->Bigo = o.value("remark");
        if (!batches.Save(*row, true).saved)
            return 1;
        ctx.out << row->AptID << "\n";
        return 0;
    });
}

int setState(ToolContext& ctx, const QStringList& args)
{
    QHash<QString, QString> o;
    if (!ReadToolOptions(args, {"batch", "state"}, o))
        return 2;
    const std::optional<int> batch = number(o.value("batch"));
    // The state is given as stored: 0 or 1.
    const std::optional<int> stored = number(o.value("state"));
    const store::BatchState state =
        stored ? store::BatchStateFrom(*stored) : store::BatchState::Unset;
    if (!batch || !transfer::Switchable(state))
        return 2;
    return withData(ctx, [&](store::TDM1& dm) {
        if (!transfer::Batches(dm, ctx.ui).SwitchState(*batch, state))
            return 1;
        ctx.out << *batch << "\t" << store::BatchStateText(state) << "\n";
        return 0;
    });
}

int lines(ToolContext& ctx, const QStringList& args)
{
    QHash<QString, QString> o;
    if (!ReadToolOptions(args, {"batch", "order"}, o))
        return 2;
    const std::optional<int> batch = number(o.value("batch"));
    static const QHash<QString, transfer::LineOrder> orders = {
        {"none", transfer::LineOrder::None},
        {"account", transfer::LineOrder::Account},
        {"dong-ho", transfer::LineOrder::DongHo},
        {"name", transfer::LineOrder::Name}};
    const QString order = o.value("order", "none");
    if (!batch || !orders.contains(order))
        return 2;
    return withData(ctx, [&](store::TDM1& dm) {
        const std::optional<transfer::TransferBatch> b = transfer::Batches(dm, ctx.ui).Find(*batch);
        if (!b) {
            ctx.ui.ShowError(QString("이체자료 %1 이(가) 없습니다.").arg(*batch));
            return 1;
        }
        ctx.out << "batch\t" << b->AptID << "\t" << b->GiganID10 << "\t"
                << b->IcheDate.toString(Qt::ISODate) << "\t" << b->STAT() << "\n";
        ctx.out
            << "동\t호\t입주자명\t실명번호\t은행명\t계좌번호\t예금주명\t이체금액\t상태\t이체여부\t"
               "처리결과\n";
        const std::optional<QList<transfer::TransferItem>> lines =
            transfer::TransferLines(dm, ctx.ui, *batch).List(orders[order]);
        if (!lines)
            return 1;
        for (const transfer::TransferItem& l : *lines) {
            ctx.out << l.Dong << "\t" << l.Ho << "\t" << l.Bigo << "\t" << l.NapbuNo << "\t"
                    << l.BankName << "\t" << l.MBankNo << "\t" << l.Kita << "\t" << l.IcheMoney
                    << "\t" << l.Stat << "\t" << l.YebuName << "\t" << l.ResultName << "\n";
        }
        const transfer::GroupTotals& t = b->E1;
        ctx.out << "의뢰\t" << b->TotNo << "\t" << b->TotMoney << "\n"
                << "전체\t" << t.totNo << "\t" << t.totMon << "\n"
                << "중앙회\t" << t.junNo << "\t" << t.junMon << "\n"
                << "회원조합\t" << t.joNo << "\t" << t.joMon << "\n"
                << "타행\t" << t.sucNo << "\t" << t.sucMon << "\n"
                << "이체불능\t" << b->E1ErrNo() << "\t" << b->E1ErrMon() << "\n";
        return 0;
    });
}

} // namespace

QList<ToolCommand> TransferCommands()
{
    return {
        {"new-batch", "--institution CODE --date YYYY-MM-DD --password P [--remark TEXT]",
         "create a transfer batch as the batch screen does; prints its number", newBatch},
        {"set-state", "--batch N --state 0|1",
         "switch a batch between not sendable (0) and waiting (1)", setState},
        {"lines", "--batch N [--order none|account|dong-ho|name]",
         "print a batch's lines (tab-separated) and its totals", lines, Reads},
    };
}
