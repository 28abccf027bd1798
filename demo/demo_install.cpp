#include "demo/demo_install.h"

#include "audit/record.h"

#include "consent/evidence_transfer.h"
#include "edi/link.h"
#include "exchange/edi_flow.h"
#include "exchange/hand_over.h"
#include "exchange/send_files.h"
#include "shell/clock.h"
#include "shell/file_helpers.h"
#include "shell/kept_files.h"
#include "shell/link_settings.h"
#include "shell/ui.h"
#include "shell/wait_scope.h"
#include "shell/workspace.h"
#include "store/exchange_files.h"
#include "store/tdm1.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <optional>

namespace demo {
namespace {

// The link settings of a new installation, with the branch's login.
void prepareLink(shell::Workspace& ws)
{
    shell::InitialiseLinkSettings();
    shell::TEdiConfig cfg;
    if (shell::ReadSettings(cfg) && cfg.LoginID.trimmed().isEmpty()) {
        cfg.LoginID = kDemoSenderId;
        shell::WriteSettings(cfg);
    }
    shell::PrepareTransferDirectories(ws);
}

// The demo's first send, as the transmission screen makes one: the request
// files of everything waiting, kept under Send/Old, handed to the link and
// recorded, so that what went shows as sent with the keys its answer carries.
bool firstSend(store::TDM1& dm, shell::Ui& ui, const shell::Workspace& ws, edi::Link& link,
               QStringList& files)
{
    const platform::Result<shell::ExchangeFileNames> names = store::ExchangeFileNamesOf(dm.db());
    if (!names) {
        ui.ShowError(names.error());
        return false;
    }
    if (!QDir().mkpath(ws.sendDir) || !shell::EmptySendFolder(ui, ws.sendDir, ws.programDir, *names))
        return false;
    const exchange::SendFiles built =
        exchange::BuildSendFiles(dm.db(), ui, ws, shell::Now(), kDemoDivisor);
    if (!built.ok)
        return false;
    files = built.files;
    if (files.isEmpty())
        return true;
    const shell::KeptFiles kept = shell::KeepFiles(ws.sendDir, shell::KeptSendDir(ws));
    if (!kept.ok) {
        ui.ShowError(kept.error);
        return false;
    }
    const platform::Result<qint64> journal = exchange::OpenHandOver(dm.db(), built, shell::Now());
    if (!journal) {
        ui.ShowError(journal.error());
        return false;
    }
    if (const edi::LinkOutcome sent = edi::LinkSend(link); !sent.ok) {
        ui.ShowError(sent.message);
        return false;
    }
    const QString failed = exchange::RecordSend(dm.db(), built, *journal);
    if (!failed.isEmpty()) {
        ui.ShowError(exchange::EdiFlow::RecordFailure(failed));
        return false;
    }
    return true;
}

// The evidence transmission's ID and key, so that the demo can send evidence.
bool setEvidenceKey(store::TDM1& dm, shell::Ui& ui, const shell::Workspace& ws)
{
    const consent::EvidenceAuthKey key{kDemoSenderId, kDemoEvidenceKey};
    if (!consent::StoreEvidenceAuthKey(dm.db(), ui, key))
        return false;
    if (!consent::WriteSecureClientConfig(ws.programDir, key)) {
        ui.ShowError(QStringLiteral("증빙자료 전송 설정을 저장할 수 없습니다."));
        return false;
    }
    return true;
}

bool runCentre(shell::Ui& ui, const shell::Workspace& ws, const QString& program, QString& output)
{
    QProcess centre;
    centre.start(program, {"--home", ws.programDir});
    const bool finished = centre.waitForFinished(600000);
    output = QString::fromLocal8Bit(centre.readAllStandardOutput());
    if (finished && centre.exitStatus() == QProcess::NormalExit && centre.exitCode() == 0)
        return true;
    const QString why = centre.error() == QProcess::FailedToStart
                            ? centre.errorString()
                            : QString::fromLocal8Bit(centre.readAllStandardError()) + output;
    ui.ShowError(QStringLiteral("가상 결제원이 응답하지 못했습니다.\r") +
                 QDir::toNativeSeparators(program) + "\r" + why.trimmed());
    return false;
}

} // namespace

bool IsFreshFolder(const QString& dir)
{
    const QFileInfo info(dir);
    if (!info.exists())
        return true;
    return info.isDir() &&
           QDir(dir)
               .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)
               .isEmpty();
}

DemoInstallation MakeDemoInstallation(shell::Ui& ui, shell::Workspace& ws, edi::Link& link,
                                      const QString& clearingCentre, quint32 seed, DemoSize size)
{
    DemoInstallation result;
    if (!QDir().mkpath(ws.programDir)) {
        ui.ShowError(QStringLiteral("폴더를 만들 수 없습니다.\r") + ws.programDir);
        return result;
    }
    prepareLink(ws);

    store::TDM1 dm(ui, ws);
    if (!dm.PrepareDatabase(ws.dataDir) || !dm.OpenTables())
        return result;
    {
        // Made by the program, not by a person: one row for the whole demo
        // (its first send records itself).
        std::optional<audit::Quiet> quiet(std::in_place);
        shell::WaitScope wait(ui, QStringLiteral("데모 자료 생성 중..."));
        if (!FillDemoData(
                dm, EvidenceFolder(ws), seed, &result.summary,
                [&] { return firstSend(dm, ui, ws, link, result.sent); }, size))
            return result;
        if (!setEvidenceKey(dm, ui, ws))
            return result;
        quiet.reset();
        const audit::Change change{audit::action::Import, QStringLiteral("데모"), QString(),
                                   QString(), QString(), QVariant(),
                                   QString("데모 자료 (seed %1)").arg(seed)};
        if (const platform::Result<> recorded = audit::Record(dm.db(), change); !recorded) {
            ui.ShowError(recorded.error());
            return result;
        }
    }
    dm.Close();
    if (result.sent.isEmpty()) {
        result.ok = true;
        return result;
    }
    result.ok = runCentre(ui, ws, clearingCentre, result.centreOutput);
    return result;
}

} // namespace demo
