// The change record: its rows, and whether its chain is whole.

#include "apps/pelmar_tool/tool_command.h"
#include "audit/audit_file.h"
#include "audit/read.h"

#include <QHash>

namespace {

// One field of a tab-separated row: its own tabs and line ends escaped.
QString cell(QString text)
{
    return text.replace('\\', "\\\\").replace('\t', "\\t").replace('\n', "\\n").replace('\r', "\\r");
}

int verify(ToolContext& ctx)
{
    const platform::Result<audit::Verdict> v = audit::Verify(audit::AuditFile(ctx.ws.dataDir));
    if (!v) {
        ctx.ui.ShowError(v.error());
        return 1;
    }
    if (!v->whole) {
        ctx.ui.ShowError("변경 이력이 온전하지 않습니다: " + v->message);
        return 1;
    }
    ctx.out << v->message << "\n";
    return 0;
}

int listEntries(ToolContext& ctx, const QStringList& args)
{
    if (args == QStringList{"verify"})
        return verify(ctx);
    QHash<QString, QString> o;
    if (!ReadToolOptions(args, {"from", "to", "table", "key"}, o))
        return 2;
    audit::Filter f;
    for (const auto& [name, date] : {std::pair{"from", &f.from}, std::pair{"to", &f.to}}) {
        if (!o.contains(name))
            continue;
        *date = QDate::fromString(o[name], Qt::ISODate);
        if (!date->isValid())
            return 2;
    }
    f.table = o.value("table");
    f.key = o.value("key");
    const platform::Result<std::vector<audit::Entry>> rows =
        audit::ReadEntries(audit::AuditFile(ctx.ws.dataDir), f);
    if (!rows) {
        ctx.ui.ShowError(rows.error());
        return 1;
    }
    for (const audit::Entry& e : *rows) {
        QStringList row;
        for (const QString& v : {e.time, e.user, e.program, e.action, e.table, e.key, e.field,
                                 e.oldValue, e.newValue})
            row.append(cell(v));
        ctx.out << row.join('\t') << "\n";
    }
    return 0;
}

} // namespace

QList<ToolCommand> AuditCommands()
{
    return {
        {"audit", "[--from YYYY-MM-DD] [--to YYYY-MM-DD] [--table NAME] [--key TEXT] | verify",
         "who changed what, when (tab-separated); verify: whether the record is whole", listEntries,
         Reads},
    };
}
