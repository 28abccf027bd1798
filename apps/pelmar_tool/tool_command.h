#pragma once

#include "shell/console_ui.h"
#include "shell/workspace.h"

namespace store {
class TDM1;
}
namespace edi {
class Link;
}

#include <QHash>
#include <QStringList>
#include <QTextStream>

// One command of pelmar-tool. `run` gets the arguments after the command
// name with the global options removed and returns the exit code: 0 done,
// 1 failed (the message has been shown), 2 wrong arguments, 3 a question
// of the flow was refused for want of --yes or --no.
struct ToolContext
{
    shell::ConsoleUi& ui;
    QTextStream& out;
    QTextStream& err;
    QString home; // --home, or empty for PELMAR_HOME / the user's workspace
    shell::Workspace& ws;       // loaded once from `home` before the command runs
    edi::Link& link;            // the mailbox link every link call goes through
    bool holdsLock = false;     // the command writes and holds the workspace lock
};

// Whether a command changes the workspace when given these arguments. A
// writing command runs only while it holds the workspace lock; a reading
// one runs beside any other program.
using ToolWrites = bool (*)(const QStringList& args);
bool Reads(const QStringList& args);
bool Writes(const QStringList& args);
// A writing command that takes the lock itself, later than the others
// (make-demo: only once it knows the folder is new, so that a folder it
// refuses gets no lock file).
bool LocksItself(const QStringList& args);

struct ToolCommand
{
    const char* name;
    const char* usage; // arguments after the name
    const char* help;
    int (*run)(ToolContext& ctx, const QStringList& args);
    ToolWrites writes = Writes;
};

// "--name value" pairs; false for anything else or a name not in `known`.
bool ReadToolOptions(const QStringList& args, const QStringList& known,
                     QHash<QString, QString>& out);
// Opens the workspace's database and its shared tables; false after the
// data module has shown why not. A writing command first settles a send
// cut off after its hand-over.
bool OpenToolData(const ToolContext& ctx, store::TDM1& dm);

// Commands grouped by subsystem; each file adds its own list.
QList<ToolCommand> StoreCommands();
QList<ToolCommand> EdiCommands();
QList<ToolCommand> CalendarCommands();
QList<ToolCommand> FileCommands();
QList<ToolCommand> TransferCommands();
QList<ToolCommand> ReportCommands();
// True when the command line needs a GUI application (for fonts).
bool ToolNeedsGui(const QStringList& args);
QList<ToolCommand> MaintenanceCommands();
QList<ToolCommand> ConsentCommands();
QList<ToolCommand> ExchangeCommands();
QList<ToolCommand> DemoCommands();
QList<ToolCommand> ImportCommands();
QList<ToolCommand> CollectionCommands();
QList<ToolCommand> FollowUpCommands();
QList<ToolCommand> AuditCommands();
