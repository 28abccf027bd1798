// Workspace and database commands.

#include "apps/pelmar_tool/tool_command.h"
#include "shell/link_settings.h"
#include "shell/workspace.h"
#include "shell/workspace_lock.h"
#include "store/account_numbers.h"
#include "store/blank_database.h"
#include "store/data_folder.h"
#include "store/database.h"
#include "store/integrity.h"
#include "store/shipped_closures.h"
#include "store/tdm1.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>

namespace {

int prepareDb(ToolContext& ctx, const QStringList& args)
{
    if (!args.isEmpty())
        return 2;
    const shell::Workspace& ws = ctx.ws;
    if (!QDir().mkpath(ws.programDir)) {
        ctx.ui.ShowError("폴더를 만들 수 없습니다.\r" + ws.programDir);
        return 1;
    }
    // A workspace made by an earlier version, or by hand, is closed too.
    QFile::setPermissions(ws.programDir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // Progress lines; --quiet (the launcher's first start) prints nothing.
    QString discard;
    QTextStream quietOut(&discard);
    QTextStream& out = ctx.ui.quiet() ? quietOut : ctx.out;
    out << "workspace " << QDir::toNativeSeparators(ws.programDir) << "\n";

    shell::InitialiseLinkSettings();
    shell::PrepareTransferDirectories(ctx.ws);
    out << "link settings " << shell::LinkKey() << "\n";
    out << "directories " << ctx.ws.sendDir << " " << ctx.ws.recvDir << " " << ctx.ws.resultDir
        << "\n";

    const QString file = store::TDM1::DatabaseFile(ws.dataDir);
    const bool existed = QFileInfo::exists(file);
    store::TDM1 dm(ctx.ui, ctx.ws);
    if (!dm.PrepareDatabase(ws.dataDir))
        return 1;
    out << (existed ? "database migrated " : "database created ") << QDir::toNativeSeparators(file)
        << "\n";
    if (!dm.OpenTables())
        return 1;
    out << "tables open\n";
    return 0;
}

int makeBlank(ToolContext& ctx, const QStringList& args)
{
    QString target;
    QString reference = ctx.ws.shippedDir + "data/reference";
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == "--reference" && i + 1 < args.size())
            reference = args[++i];
        else if (target.isEmpty() && !args[i].startsWith("--"))
            target = args[i];
        else
            return 2;
    }
    if (target.isEmpty())
        return 2;
    const platform::Result<> written =
        store::WriteBlankArchive(target, reference, store::ShippedClosuresFile(ctx.ws.shippedDir));
    if (!written) {
        ctx.ui.ShowError("빈 자료 파일을 만들 수 없습니다.\r" + written.error());
        return 1;
    }
    ctx.out << "blank database " << QDir::toNativeSeparators(target) << "\n";
    return 0;
}

int check(ToolContext& ctx, const QStringList& args)
{
    if (!args.isEmpty())
        return 2;
    // The data as the next program would find it, without creating any.
    // Putting back the data of a killed restore is the one change a check
    // makes, and only when no other program holds the workspace: a
    // restore under way looks the same.
    if (QFileInfo::exists(store::SwappedOutDataDir(ctx.ws.dataDir))) {
        shell::WorkspaceLock lock(ctx.ws);
        if (lock.Take(QStringLiteral("pelmar-tool")))
            store::RecoverSwappedOutData(ctx.ws.dataDir);
    }
    const QString file = store::TDM1::DatabaseFile(ctx.ws.dataDir);
    if (!QFileInfo(file).isFile()) {
        ctx.ui.ShowError("자료 파일이 없습니다.\r" + QDir::toNativeSeparators(file));
        return 1;
    }
    const platform::Result<> r = store::OpenDatabase("PelmarCheck", file);
    if (!r) {
        ctx.ui.ShowError(r.error());
        store::CloseDatabase("PelmarCheck");
        return 1;
    }
    QStringList problems;
    {
        QSqlDatabase db = QSqlDatabase::database("PelmarCheck", false);
        problems = store::CheckIntegrity(db);
        problems += store::CheckLayout(db);
        problems += store::CheckByteLimits(db);
        problems += store::CheckStoredText(db);
    }
    store::CloseDatabase("PelmarCheck");
    for (const QString& p : problems)
        ctx.out << "problem " << p << "\n";
    if (!problems.isEmpty()) {
        ctx.ui.ShowError("자료 파일에 오류가 있습니다.\r" + QDir::toNativeSeparators(file));
        return 1;
    }
    ctx.out << "ok " << QDir::toNativeSeparators(file) << "\n";
    return 0;
}

int account(ToolContext& ctx, const QStringList& args)
{
    if (args.size() != 2)
        return 2;
    const bool valid = store::IsValidAccount(args[0], args[1]);
    ctx.out << (valid ? "valid " : "invalid ") << store::HyphenateOrKeep(args[0], args[1]) << "\n";
    return 0;
}

} // namespace

QList<ToolCommand> StoreCommands()
{
    return {
        {"prepare-db", "", "make the folder a workspace: directories, link settings, database",
         prepareDb},
        {"make-blank", "OUT [--reference DIR]", "write the blank database archive BlankDB.bin",
         makeBlank, Reads},
        {"check", "",
         "check the database file for damage, the current layout, values beyond their field's "
         "byte limit, control characters and account numbers that are not digits and hyphens",
         check, Reads},
        {"account", "BANK NUMBER", "check an account number and show its display form", account,
         Reads},
    };
}
