// pelmar-tool: the command-line front end over the core, for support staff,
// scripts and tests.

#include "apps/pelmar_tool/tool_command.h"
#include "audit/audit_file.h"
#include "edi/mailbox_link.h"
#include "shell/log.h"
#include "shell/workspace.h"
#include "shell/workspace_lock.h"
#include "store/account_numbers.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <memory>

namespace {

QList<ToolCommand> allCommands()
{
    QList<ToolCommand> all;
    all += StoreCommands();
    all += EdiCommands();
    all += CalendarCommands();
    all += FileCommands();
    all += TransferCommands();
    all += ReportCommands();
    all += MaintenanceCommands();
    all += ConsentCommands();
    all += ExchangeCommands();
    all += DemoCommands();
    all += ImportCommands();
    all += CollectionCommands();
    all += FollowUpCommands();
    all += AuditCommands();
    return all;
}

void printUsage(QTextStream& s, const QList<ToolCommand>& commands)
{
    s << "usage: pelmar-tool [--home DIR] [--yes|--no] [--quiet] COMMAND [ARGS]\n\n"
         "  --home DIR   the workspace (default: PELMAR_HOME, else $XDG_DATA_HOME/Pelmar)\n"
         "  --yes, --no  the answer to every question (default: questions are refused)\n"
         "  --quiet      no progress lines\n\n"
         "exit codes: 0 done, 1 failed, 2 wrong arguments, 3 a question needed --yes or --no\n"
         "A command that changes the workspace refuses (exit 1) while another program\n"
         "(Pelmar, Vandry, another pelmar-tool) holds it; reading commands always run.\n\n"
         "commands:\n";
    for (const ToolCommand& c : commands) {
        const QString head = QString("  %1 %2").arg(c.name, c.usage).trimmed();
        s << "  " << head.leftJustified(36) << " " << c.help << "\n";
    }
    s.flush();
}

} // namespace

int main(int argc, char** argv)
{
    QStringList raw;
    for (int i = 1; i < argc; ++i)
        raw.append(QString::fromLocal8Bit(argv[i]));
    // Printing needs fonts; the other commands run without any display.
    if (ToolNeedsGui(raw) && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> application(ToolNeedsGui(raw)
                                                      ? new QGuiApplication(argc, argv)
                                                      : new QCoreApplication(argc, argv));
    QCoreApplication& app = *application;
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QList<ToolCommand> commands = allCommands();

    QStringList args = app.arguments().mid(1);
    QString home;
    shell::ConsoleUi::Answer answer = shell::ConsoleUi::Refuse;
    bool quiet = false;
    QString command;
    QStringList rest;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == "--home") {
            if (i + 1 >= args.size()) {
                printUsage(err, commands);
                return 2;
            }
            home = args[++i];
        } else if (a.startsWith("--home=")) {
            home = a.mid(7);
        } else if (a == "--yes") {
            answer = shell::ConsoleUi::AlwaysYes;
        } else if (a == "--no") {
            answer = shell::ConsoleUi::AlwaysNo;
        } else if (a == "--quiet") {
            quiet = true;
        } else if (a == "--help" || a == "-h" || a == "help") {
            if (command.isEmpty()) {
                printUsage(out, commands);
                return 0;
            }
            rest.append(a);
        } else if (command.isEmpty()) {
            command = a;
        } else {
            rest.append(a);
        }
    }
    if (command.isEmpty()) {
        printUsage(err, commands);
        return 2;
    }
    for (const ToolCommand& c : commands) {
        if (command != QLatin1String(c.name))
            continue;
        shell::Workspace ws = shell::LoadWorkspacePaths(home);
        shell::SetLogWorkspace(ws);
        shell::ConsoleUi ui(answer);
        ui.setQuiet(quiet);
        // Held until the command has ended, so that no other program
        // writes between its reading and its writing.
        shell::WorkspaceLock lock(ws);
        if (c.writes(rest) && !lock.Take(QStringLiteral("pelmar-tool"))) {
            ui.ShowError(lock.refusal());
            return 1;
        }
        // Every command reads them, or may: refused before any work.
        if (const platform::Result<> settings = shell::CheckSettingsFiles(ws, c.writes(rest));
            !settings) {
            ui.ShowError(settings.error());
            return 1;
        }
        store::SetAccountRulesReport([&ui](const QString& message) { ui.ShowError(message); });
        audit::Start(QStringLiteral("pelmar-tool"), ws,
                     [&ui](const QString& message) { ui.ShowError(message); });
        edi::MailboxLink link(ws);
        ToolContext ctx{ui, out, err, home, ws, link, c.writes(rest)};
        const int rc = c.run(ctx, rest);
        out.flush();
        // A failure is never silent, not even under --quiet.
        if (rc == 1 && ui.lastError().isEmpty() && ui.quiet() && !ui.lastInfo().isEmpty())
            err << "error: " << QString(ui.lastInfo()).replace('\r', '\n') << "\n";
        if (rc == 2)
            err << "usage: pelmar-tool " << c.name << " " << c.usage << "\n";
        return rc;
    }
    err << "pelmar-tool: unknown command " << command << "\n";
    printUsage(err, commands);
    return 2;
}
