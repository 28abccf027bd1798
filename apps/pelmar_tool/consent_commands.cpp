// Consent evidence without a window: the evidence transmission of the
// consent screen for a list of consents.

#include "apps/pelmar_tool/tool_command.h"
#include "consent/evidence_transfer.h"
#include "platform/securelink.h"
#include "shell/codec.h"
#include "shell/workspace.h"
#include "store/tdm1.h"

#include <QFile>

#include <optional>

namespace {

// One "Giganid,Bankcd,Bankno,NapbuNO" per line; blank lines are skipped.
std::optional<QList<consent::ConsentKey>> readConsents(ToolContext& ctx, const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        ctx.err << path << ": " << f.errorString() << "\n";
        return std::nullopt;
    }
    QList<consent::ConsentKey> keys;
    int number = 0;
    for (QString line : shell::FromCp949(f.readAll()).split('\n')) {
        ++number;
        line = line.trimmed();
        if (line.isEmpty())
            continue;
        const QStringList parts = line.split(',');
        if (parts.size() != 4) {
            ctx.err << path << ":" << number << ": expected Giganid,Bankcd,Bankno,NapbuNO\n";
            return std::nullopt;
        }
        keys.append(
            {parts[0].trimmed(), parts[1].trimmed(), parts[2].trimmed(), parts[3].trimmed()});
    }
    return keys;
}

int sendEvidence(ToolContext& ctx, const QStringList& args)
{
    if (args.size() != 2 || args[0] != "--consents")
        return 2;
    const auto keys = readConsents(ctx, args[1]);
    if (!keys)
        return 2;
    store::TDM1 dm(ctx.ui, ctx.ws);
    if (!dm.Connect(ctx.ws.dataDir) || !dm.OpenTables())
        return 1;
    platform::SecurelinkLibrary library(consent::DefaultSecurelinkPath(ctx.ws));
    const bool ok =
        consent::SendEvidence(dm.db(), ctx.ui, library, {ctx.ws.programDir, library.path()}, *keys);
    return ok ? 0 : 1;
}

} // namespace

QList<ToolCommand> ConsentCommands()
{
    return {
        {"send-evidence", "--consents FILE",
         "send the evidence of the consents listed in FILE (Giganid,Bankcd,Bankno,NapbuNO per "
         "line)",
         sendEvidence},
    };
}
