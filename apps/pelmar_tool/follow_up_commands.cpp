// The follow-up of failed withdrawals: the rules by result code, presenting
// a batch's failed lines again, and the consents the answers put in doubt.

#include "apps/pelmar_tool/tool_command.h"
#include "codes/follow_up_rules.h"
#include "consent/consents_to_review.h"
#include "store/tdm1.h"
#include "transfer/represent.h"

#include <QHash>

namespace {

const QString kRulesTitle = QStringLiteral("불능 처리 규칙");

int withData(ToolContext& ctx, const std::function<int(store::TDM1&)>& body)
{
    store::TDM1 dm(ctx.ui, ctx.ws);
    return OpenToolData(ctx, dm) ? body(dm) : 1;
}

int represent(ToolContext& ctx, const QStringList& args)
{
    QHash<QString, QString> o;
    if (!ReadToolOptions(args, {"batch", "date"}, o) || !o.contains("batch"))
        return 2;
    bool ok = false;
    const int batch = o["batch"].toInt(&ok);
    if (!ok)
        return 2;
    QDate date;
    if (o.contains("date")) {
        date = QDate::fromString(o["date"], Qt::ISODate);
        if (!date.isValid())
            return 2;
    }
    return withData(ctx, [&](store::TDM1& dm) {
        const transfer::RepresentRun run =
            transfer::RepresentFailedLines(dm, ctx.ui, batch, date, false);
        switch (run.outcome) {
        case transfer::RepresentOutcome::Made:
            ctx.out << run.aptId << "\t" << run.plan.lines.size() << "\t" << run.plan.amount << "\t"
                    << run.plan.atCap << "\n";
            return 0;
        case transfer::RepresentOutcome::Nothing:
            return 0;
        default:
            return 1;
        }
    });
}

int consentsToReview(ToolContext& ctx, const QStringList& args)
{
    if (!args.isEmpty())
        return 2;
    return withData(ctx, [&](store::TDM1& dm) {
        const platform::Result<QList<consent::ConsentToReview>> rows =
            consent::ConsentsToReview(dm.db());
        if (!rows) {
            ctx.ui.ShowError(rows.error());
            return 1;
        }
        for (const consent::ConsentToReview& c : *rows)
            ctx.out << QStringList{c.giganId,
                                   c.payer,
                                   c.bank,
                                   c.account,
                                   c.code,
                                   c.codeText,
                                   c.transferDate.toString(Qt::ISODate)}
                           .join('\t')
                    << "\n";
        return 0;
    });
}

bool rulesWrite(const QStringList& args)
{
    return !args.isEmpty();
}

int followUpRules(ToolContext& ctx, const QStringList& args)
{
    QHash<QString, QString> o;
    if (!ReadToolOptions(args, {"code", "action", "cap"}, o) ||
        o.contains("code") != o.contains("action") || (o.contains("cap") && !o.contains("code")))
        return 2;
    std::optional<store::FollowUpAction> action;
    int cap = store::kDefaultRepresentCap;
    if (o.contains("action")) {
        action = store::FollowUpActionNamed(o["action"]);
        bool ok = true;
        if (o.contains("cap"))
            cap = o["cap"].toInt(&ok);
        if (!action || !ok)
            return 2;
    }
    return withData(ctx, [&](store::TDM1& dm) {
        codes::FollowUpRules rules(dm.db(), ctx.ui, kRulesTitle);
        if (action) {
            codes::FollowUpRule rule;
            rule.code = o["code"];
            rule.action = *action;
            rule.cap = cap;
            return rules.Save(rule).saved ? 0 : 1;
        }
        const platform::Result<QList<codes::FollowUpRule>> rows = rules.List();
        if (!rows) {
            ctx.ui.ShowError(rows.error());
            return 1;
        }
        for (const codes::FollowUpRule& r : *rows)
            ctx.out << QStringList{r.code, r.text, r.actionText(), r.capText()}.join('\t') << "\n";
        return 0;
    });
}

} // namespace

QList<ToolCommand> FollowUpCommands()
{
    return {
        {"represent", "--batch N [--date YYYY-MM-DD]",
         "present a received batch's failed lines again by the follow-up rules (new batch, "
         "State 0); prints 'batch lines amount left-at-cap'",
         represent},
        {"consents-to-review", "",
         "consents whose latest answered line failed with a 동의 확인 code", consentsToReview,
         Reads},
        {"follow-up-rules", "[--code CODE --action 재청구|동의확인|없음 [--cap N]]",
         "list the follow-up rules, or set the rule of one result code", followUpRules, rulesWrite},
    };
}
