#pragma once

#include "shell/console_ui.h"

#include <QStringList>
#include <QTextStream>

// One command of pelmar-tool. `run` gets the arguments after the command
// name with the global options removed and returns the exit code: 0 done,
// 1 failed (the message has been shown), 2 wrong arguments.
struct ToolContext
{
    shell::ConsoleUi& ui;
    QTextStream& out;
    QTextStream& err;
    QString home; // --home, or empty for PELMAR_HOME / the executable's folder
};

struct ToolCommand
{
    const char* name;
    const char* usage; // arguments after the name
    const char* help;
    int (*run)(ToolContext& ctx, const QStringList& args);
};

// Commands grouped by subsystem; each file adds its own list.
QList<ToolCommand> StoreCommands();
QList<ToolCommand> EdiCommands();
QList<ToolCommand> CalendarCommands();
QList<ToolCommand> FileCommands();
QList<ToolCommand> DemoCommands();
