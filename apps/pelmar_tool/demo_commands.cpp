// The demo installation: a fresh folder filled with a branch's data.

#include "apps/pelmar_tool/tool_command.h"
#include "demo/demo_install.h"
#include "shell/clock.h"
#include "shell/workspace.h"
#include "shell/workspace_lock.h"

#include <QDir>
#include <QFileInfo>

namespace {

int makeDemo(ToolContext& ctx, const QStringList& args)
{
    quint32 seed = demo::kDemoSeed;
    demo::DemoSize size = demo::DemoSize::Ordinary;
    for (qsizetype i = 0; i < args.size(); ++i) {
        bool ok = false;
        if (args[i] == "--seed" && i + 1 < args.size()) {
            seed = args[++i].toUInt(&ok);
        } else if (args[i] == "--size" && i + 1 < args.size()) {
            const QString value = args[++i];
            ok = value == "ordinary" || value == "large";
            if (value == "large")
                size = demo::DemoSize::Large;
        }
        if (!ok)
            return 2;
    }
    shell::Workspace& ws = ctx.ws;
    const QString shown = QDir::toNativeSeparators(ws.programDir);
    if (!demo::IsFreshFolder(ws.programDir)) {
        ctx.ui.ShowError(QStringLiteral("이미 자료가 있는 폴더에는 데모 설치를 만들 수 없습니다.\r"
                                        "비어 있는 새 폴더를 지정하십시오.\r") +
                         shown);
        return 1;
    }
    shell::WorkspaceLock lock(ws);
    if (!lock.Take(QStringLiteral("pelmar-tool"))) {
        ctx.ui.ShowError(lock.refusal());
        return 1;
    }
    // One moment for the whole installation, so that the same seed gives the
    // same data however long the generation takes.
    shell::FreezeNow(shell::Now());
    const demo::DemoInstallation made = demo::MakeDemoInstallation(
        ctx.ui, ws, ctx.link, ws.shippedDir + "clearing-sim", seed, size);
    if (!made.ok)
        return 1;
    const demo::DemoSummary& s = made.summary;
    ctx.out << "demo installation " << shown << "\n"
            << "institutions " << s.institutions << ", batches " << s.batches << ", lines "
            << s.lines << ", consents " << s.consents << ", evidence files " << s.evidence << "\n";
    for (const QString& file : made.sent)
        ctx.out << "sent " << QFileInfo(file).fileName() << "\n";
    ctx.out << made.centreOutput;
    return 0;
}

} // namespace

QList<ToolCommand> DemoCommands()
{
    return {
        {"make-demo", "[--seed N] [--size ordinary|large]",
         "make the (new, empty) folder a demo installation with a branch's data and a clearing "
         "answer waiting in the mailbox; large: a month of a branch of forty complexes, for "
         "measuring",
         makeDemo, LocksItself},
    };
}
