// Backup, restore and reorganise from the command line.

#include "apps/pelmar_tool/tool_command.h"
#include "maintenance/backup.h"
#include "maintenance/reorganise.h"
#include "shell/workspace.h"
#include "store/tdm1.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

// "--name VALUE" as the only argument.
bool singleOption(const QStringList& args, const QString& name, QString& value)
{
    if (args.size() != 2 || args[0] != name || args[1].isEmpty())
        return false;
    value = args[1];
    return true;
}

// The outermost folder of `path` that does not exist yet.
QString firstMissingFolder(const QString& path)
{
    QString missing = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    for (QString up = QFileInfo(missing).path(); up != missing && !QFileInfo::exists(up);
         up = QFileInfo(up).path())
        missing = up;
    return missing;
}

// Runs a rebuild of the database file, opens the result as the programs
// will and says where it is.
template <typename Rebuild> int rebuild(ToolContext& ctx, const char* done, Rebuild&& run)
{
    store::TDM1 dm(ctx.ui, ctx.ws);
    const bool ok = run() && dm.PrepareDatabase(ctx.ws.dataDir);
    dm.Close();
    ctx.ui.CloseWait();
    if (!ok)
        return 1;
    ctx.out << done << QDir::toNativeSeparators(store::TDM1::DatabaseFile(ctx.ws.dataDir)) << "\n";
    return 0;
}

int backup(ToolContext& ctx, const QStringList& args)
{
    QString folder;
    if (!singleOption(args, "--to", folder))
        return 2;
    // "A:" and "B:" name the floppy drives of Firm.ini.
    static const QRegularExpression drive("^[AaBb]:[\\\\/]?$");
    const bool isDrive = drive.match(folder).hasMatch();
    // A folder not there yet is made, as a script naming a new place expects.
    if (!isDrive && !QFileInfo(folder).isDir()) {
        const QString first = firstMissingFolder(folder);
        if (!QDir().mkpath(folder)) {
            ctx.ui.ShowError("폴더를 만들 수 없습니다.\r" + folder);
            return 1;
        }
        for (QString d = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
             d.size() >= first.size(); d = QFileInfo(d).path())
            shell::FollowUserUmask(d);
    }
    // Nobody here can change a disk or free a folder, so asking again would
    // never end: every question of a backup is answered with Cancel,
    // whatever --yes says.
    shell::ConsoleUi noRetry(shell::ConsoleUi::Refuse);
    maintenance::Context mc{noRetry, ctx.ws};
    QString archive;
    const QString destination =
        isDrive ? folder : shell::WithBackslash(QFileInfo(folder).absoluteFilePath());
    if (!maintenance::Backup(mc, destination, &archive))
        return 1;
    ctx.ui.CloseWait();
    ctx.out << "backup " << QDir::toNativeSeparators(archive) << "\n";
    return 0;
}

int restore(ToolContext& ctx, const QStringList& args)
{
    QString archive;
    if (!singleOption(args, "--from", archive))
        return 2;
    if (!ctx.ui.Confirm(
            QStringLiteral("현재 자료를 백업 파일의 자료로 바꿉니다.\r\r계속하시겠습니까?"),
            false)) {
        ctx.err << "restore replaces the data: give --yes to go ahead\n";
        return 2;
    }
    // The go-ahead was the one question; a missing disk is not waited for.
    shell::ConsoleUi noRetry(shell::ConsoleUi::Refuse);
    maintenance::Context mc{noRetry, ctx.ws};
    return rebuild(ctx, "restored ", [&] {
        return maintenance::Restore(mc, QFileInfo(archive).absoluteFilePath()) &&
               maintenance::Reorganise(mc);
    });
}

int reorganise(ToolContext& ctx, const QStringList& args)
{
    if (!args.isEmpty())
        return 2;
    maintenance::Context mc{ctx.ui, ctx.ws};
    return rebuild(ctx, "reorganised ", [&] { return maintenance::Reorganise(mc); });
}

} // namespace

QList<ToolCommand> MaintenanceCommands()
{
    return {
        {"backup", "--to FOLDER",
         "archive the data as FOLDER/FA<stamp>.zip (FOLDER A: or B: for the floppy drives)",
         backup},
        {"restore", "--from ARCHIVE", "replace the data by a backup (needs --yes), then reorganise",
         restore},
        {"reorganise", "", "rebuild the database from the blank one, keeping every row",
         reorganise},
    };
}
