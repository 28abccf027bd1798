#include "maintenance/help_desk.h"

#include "edi/link.h"
#include "maintenance/archive_files.h"
#include "maintenance/backup.h"
#include "shell/codec.h"
#include "shell/file_helpers.h"
#include "shell/link_settings.h"
#include "shell/text_helpers.h"
#include "shell/ui.h"
#include "shell/workspace.h"
#include "store/exchange_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QScopeGuard>

namespace maintenance {
namespace {

// Header line, CR LF, then the payload's bytes.
bool writeEnvelope(shell::Ui& ui, const QString& target, const QString& payload,
                   const QString& documentCode)
{
    QFile in(payload);
    QSaveFile out(target);
    bool ok = in.open(QIODevice::ReadOnly) && out.open(QIODevice::WriteOnly);
    if (ok) {
        const QByteArray head =
            HelpDeskEnvelopeHeader(in.size(), documentCode, shell::ReadLoginID()) + "\r\n";
        ok = out.write(head) == head.size() && CopyBytes(in, out, in.size()) && out.commit();
    }
    if (!ok) {
        const QString why = in.isOpen() ? out.errorString() : in.errorString();
        out.cancelWriting();
        ui.ShowError(QDir::toNativeSeparators(target) + "\r" + why);
    }
    return ok;
}

bool emptySendDir(shell::Ui& ui, const shell::Workspace& ws)
{
    if (shell::CountFiles(ws.sendDir) == 0)
        return true;
    const platform::Result<shell::ExchangeFileNames> names = store::ExchangeFileNamesOf(ws);
    if (!names) {
        ui.ShowError(names.error());
        return false;
    }
    return shell::EmptySendFolder(ui, ws.sendDir, ws.programDir, *names);
}

SendOutcome callLink(shell::Ui& ui, edi::Link& link)
{
    ui.CloseWait();
    SendOutcome o;
    o.linkCalled = true;
    o.link = edi::LinkSend(link);
    o.sent = o.link.ok;
    return o;
}

} // namespace

QByteArray HelpDeskEnvelopeHeader(qint64 payloadLength, const QString& documentCode,
                                  const QString& senderId)
{
    QByteArray h = "<<NEHEAD>>1B";
    h += QByteArray::number(payloadLength).rightJustified(10, '0');
    h += QByteArray(10, ' ');
    h += shell::ToCp949(shell::PadText(senderId, 10, true));
    h += shell::ToCp949(shell::PadText(documentCode, 5, true));
    h += ' ';
    h += "001";
    h += shell::ToCp949(shell::PadText(kHelpDeskReceiver, 10, true));
    return h;
}

void PrepareTransferDirectoriesFor(Program program, shell::Workspace& ws)
{
    if (program == Program::Pelmar) {
        shell::PrepareTransferDirectories(ws);
        return;
    }
    shell::TEdiConfig cfg;
    if (!shell::ReadSettings(cfg))
        return;
    const QString p = ws.programDir;
    cfg.SendDir = p + "Send";
    cfg.RecvDir = p + "Recv";
    cfg.ResultDir = p + "Result";
    for (const char* sub : {"Send", "Send/Old", "Recv", "Recv/Old", "Result", "Result/Old"})
        QDir().mkpath(p + sub);
    if (shell::WriteSettings(cfg))
        shell::ApplyLinkDirectories(ws);
}

SendOutcome SendDataToHelpDesk(Context& ctx, edi::Link& link)
{
    PrepareTransferDirectoriesFor(ctx.program, ctx.ws);
    if (!emptySendDir(ctx.ui, ctx.ws))
        return {};
    QString archive;
    if (!Backup(ctx, ctx.ws.sendDir, &archive))
        return {};
    const auto removeArchive = qScopeGuard([&archive] { QFile::remove(archive); });
    if (!writeEnvelope(ctx.ui, ctx.ws.sendDir + "FAZIP", archive, "FAZIP"))
        return {};
    QFile::remove(archive);
    return callLink(ctx.ui, link);
}

SendOutcome SendFileToHelpDesk(Context& ctx, edi::Link& link, const QString& chosen)
{
    shell::Ui& ui = ctx.ui;
    QString file = chosen;
    if (file.isEmpty()) {
        const auto picked = ui.ChooseOpenFile(QStringLiteral("보낼 파일 선택"), ctx.ws.programDir,
                                              QStringLiteral("모든 파일 (*)"));
        if (!picked || picked->isEmpty())
            return {};
        file = *picked;
    }
    ui.ShowWaitMessage(QStringLiteral("파일보내기 준비입니다."));
    // Taken aside first: the chosen file may itself lie in the send folder
    // that is emptied next.
    const QString copy = TemporaryArchivePath(ctx.ws);
    const auto removeCopy = qScopeGuard([&copy] { QFile::remove(copy); });
    QFile source(file);
    if (!source.copy(copy)) {
        ui.ShowError(QDir::toNativeSeparators(file) + "\r" + source.errorString());
        return {};
    }
    PrepareTransferDirectoriesFor(ctx.program, ctx.ws);
    if (!emptySendDir(ui, ctx.ws))
        return {};
    if (!writeEnvelope(ui, ctx.ws.sendDir + "FATXT", copy, "FATXT"))
        return {};
    return callLink(ui, link);
}

} // namespace maintenance
