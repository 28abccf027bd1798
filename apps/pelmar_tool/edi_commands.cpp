// EDI link commands: drive the bound link without a window.

#include "apps/pelmar_tool/tool_command.h"
#include "edi/link.h"
#include "edi/mailbox_link.h"
#include "shell/kept_files.h"
#include "shell/link_settings.h"
#include "shell/workspace.h"
#include "store/exchange_files.h"

#include <QDir>

namespace {

// The settings the tool's "dialog" applies: NAME=VALUE pairs.
struct SettingField
{
    const char* name;
    QString shell::TEdiConfig::*field;
};
const SettingField kSettingFields[] = {
    {"SendDir", &shell::TEdiConfig::SendDir},       {"RecvDir", &shell::TEdiConfig::RecvDir},
    {"ResultDir", &shell::TEdiConfig::ResultDir},   {"ScriptDir", &shell::TEdiConfig::ScriptDir},
    {"MailboxDir", &shell::TEdiConfig::MailboxDir}, {"LoginID", &shell::TEdiConfig::LoginID},
    {"Password", &shell::TEdiConfig::Password},
};

bool applySetting(shell::TEdiConfig& cfg, const QString& pair)
{
    const qsizetype eq = pair.indexOf('=');
    if (eq <= 0)
        return false;
    const QString name = pair.left(eq);
    const QString value = pair.mid(eq + 1);
    for (const SettingField& f : kSettingFields) {
        if (name.compare(QLatin1String(f.name), Qt::CaseInsensitive) != 0)
            continue;
        // Given readable, stored as the link keeps it.
        cfg.*f.field = f.field == &shell::TEdiConfig::Password
                           ? shell::EncodeLinkPassword(value)
                           : value;
        return true;
    }
    return false;
}

// The link commands keep what they hand over and what they fetch, as the
// exchange does; a file kept before byte for byte is not kept again.
bool keep(ToolContext& ctx, const QString& dir, const QString& keptDir)
{
    const shell::KeptFiles kept = shell::KeepFiles(dir, keptDir);
    if (!kept.ok)
        ctx.ui.ShowError(QStringLiteral("파일을 보관할 수 없습니다.\r") + kept.error);
    return kept.ok;
}

void printCall(ToolContext& ctx, const edi::LinkOutcome& call)
{
    ctx.out << call.code << " " << call.message << "\n";
}

int linkSetup(ToolContext& ctx, const QStringList& pairs)
{
    shell::TEdiConfig probe;
    for (const QString& p : pairs)
        if (!applySetting(probe, p))
            return 2;
    // The settings as they would be stored, refused as the dialog refuses them.
    shell::TEdiConfig edited;
    shell::ReadSettings(edited);
    for (const QString& p : pairs)
        applySetting(edited, p);
    const platform::Result<shell::ExchangeFileNames> names = store::ExchangeFileNamesOf(ctx.ws);
    if (!names) {
        ctx.ui.ShowError(names.error());
        return 1;
    }
    if (const shell::LinkFolderProblem problem = shell::CheckLinkFolders(edited, *names);
        !problem.name.isEmpty()) {
        ctx.ui.ShowError(problem.message);
        return 1;
    }
    // The arguments stand in for the settings dialog.
    edi::MailboxLink link(ctx.ws, [&pairs](shell::TEdiConfig& cfg) {
        for (const QString& p : pairs)
            applySetting(cfg, p);
        return !pairs.isEmpty(); // nothing given: as if cancelled
    });
    const edi::LinkOutcome call = edi::LinkSetup(link, ctx.ws);
    printCall(ctx, call);
    return call.ok ? 0 : 1;
}

int linkShow(ToolContext& ctx)
{
    shell::TEdiConfig cfg;
    shell::ReadSettings(cfg);
    ctx.out << "key " << shell::LinkKey() << "\n";
    for (const SettingField& f : kSettingFields)
        if (f.field != &shell::TEdiConfig::Password)
            ctx.out << f.name << " " << cfg.*f.field << "\n";
    ctx.out << "Mailbox "
            << QDir::toNativeSeparators(edi::MailboxLink::MailboxDir(cfg, ctx.ws.programDir))
            << "\n";
    return 0;
}

int link(ToolContext& ctx, const QStringList& args)
{
    if (args.isEmpty())
        return 2;
    const QString what = args.first();
    const QStringList rest = args.mid(1);
    if (what != "setup" && !rest.isEmpty())
        return 2;

    // What the program does at start before any link call.
    shell::InitialiseLinkSettings();
    shell::ApplyLinkDirectories(ctx.ws);

    if (what == "setup")
        return linkSetup(ctx, rest);
    if (what == "show")
        return linkShow(ctx);
    const shell::Workspace& ws = ctx.ws;
    const bool sends = what == "send" || what == "send-receive";
    if (sends && !keep(ctx, ws.sendDir, shell::KeptSendDir(ws)))
        return 1;
    edi::LinkOutcome call;
    if (what == "send") {
        call = edi::LinkSend(ctx.link);
    } else if (what == "receive") {
        call = edi::LinkReceive(ctx.link);
    } else if (what == "re-receive") {
        call = edi::LinkReReceive(ctx.link);
    } else if (what == "result") {
        call = edi::LinkResultReceive(ctx.link);
    } else if (what == "send-receive") {
        const edi::SendReceiveOutcome both = edi::LinkSendReceive(ctx.link);
        call = both;
        ctx.out << "sent " << (both.sent ? "yes" : "no") << ", received "
                << (both.received ? "yes" : "no") << "\n";
    } else {
        return 2;
    }
    printCall(ctx, call);
    const bool fetches = what == "receive" || what == "re-receive" || what == "send-receive";
    if (call.ok && fetches && !keep(ctx, ws.recvDir, shell::KeptReceiveDir(ws)))
        return 1;
    return call.ok ? 0 : 1;
}

} // namespace

QList<ToolCommand> EdiCommands()
{
    return {
        {"link", "send|receive|send-receive|re-receive|result|show|setup [NAME=VALUE...]",
         "call the EDI link and print its code and message; setup takes SendDir, RecvDir, "
         "ResultDir, ScriptDir, MailboxDir, LoginID, Password",
         link, [](const QStringList& args) { return args.value(0) != "show"; }},
    };
}
