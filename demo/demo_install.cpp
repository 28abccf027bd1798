#include "demo/demo_install.h"

#include "calendar/send_cutoffs.h"
#include "consent/consent_request.h"
#include "edi/link.h"
#include "edi/transfer_request.h"
#include "shell/clock.h"
#include "shell/file_helpers.h"
#include "shell/link_settings.h"
#include "shell/ui.h"
#include "shell/wait_scope.h"
#include "shell/workspace.h"
#include "store/tdm1.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace demo {
namespace {

// The link settings of a new installation, with the branch's login.
void prepareLink()
{
    shell::InitialiseLinkSettings();
    shell::TEdiConfig cfg;
    if (shell::ReadSettings(cfg) && cfg.LoginID.trimmed().isEmpty()) {
        cfg.LoginID = kDemoSenderId;
        shell::WriteSettings(cfg);
    }
    shell::PrepareTransferDirectories();
}

// The request files of everything waiting, as a send builds them; the
// batches and consents keep the states the build leaves.
bool buildRequests(store::TDM1& dm, shell::Ui& ui, QStringList& files)
{
    const shell::Workspace& ws = shell::Paths();
    if (!QDir().mkpath(ws.sendDir) || !shell::DeleteAllFiles(ui, ws.sendDir))
        return false;
    QSqlDatabase db = dm.db();
    const QDateTime prepared = shell::Now();
    if (consent::ConsentSendingOn(db) && calendar::CheckConsentCutoff(db, ui)) {
        const consent::ConsentRequestResult consents =
            consent::BuildConsentRequests(db, ui, {prepared, ws.sendDir, ws.senderId});
        if (!consents.ok)
            return false;
        files += consents.files;
    }
    const edi::TransferRequestResult transfers =
        edi::BuildTransferRequests(db, ui, {prepared, ws.sendDir, ws.senderId, kDemoDivisor});
    if (!transfers.ok)
        return false;
    files += transfers.files;
    return true;
}

bool runCentre(shell::Ui& ui, const QString& program, QString& output)
{
    QProcess centre;
    centre.start(program, {"--home", shell::Paths().programDir});
    const bool finished = centre.waitForFinished(120000);
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

DemoInstallation MakeDemoInstallation(shell::Ui& ui, const QString& clearingCentre, quint32 seed)
{
    DemoInstallation result;
    const shell::Workspace& ws = shell::Paths();
    if (!QDir().mkpath(ws.programDir)) {
        ui.ShowError(QStringLiteral("폴더를 만들 수 없습니다.\r") + ws.programDir);
        return result;
    }
    prepareLink();

    store::TDM1 dm(ui);
    if (!dm.PrepareDatabase(ws.dataDir) || !dm.OpenTables())
        return result;
    {
        shell::WaitScope wait(ui, QStringLiteral("데모 자료 생성 중..."));
        if (!FillDemoData(dm, EvidenceFolder(), seed, &result.summary))
            return result;
    }
    if (!buildRequests(dm, ui, result.sent))
        return result;
    dm.Close();
    if (result.sent.isEmpty()) {
        result.ok = true;
        return result;
    }
    edi::ResetLinkCall();
    if (!edi::LinkSend()) {
        ui.ShowError(edi::LinkMessage());
        return result;
    }
    result.ok = runCentre(ui, clearingCentre, result.centreOutput);
    return result;
}

} // namespace demo
