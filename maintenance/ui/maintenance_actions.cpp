#include "maintenance/ui/maintenance_actions.h"

#include "maintenance/backup.h"
#include "maintenance/help_desk.h"
#include "maintenance/reorganise.h"
#include "shell/app_info.h"
#include "shell/ui.h"
#include "shell/workspace.h"
#include "store/tdm1.h"

#include <QWidget>

namespace maintenance::ui {
namespace {

const QString kHelpDeskWarning = QStringLiteral(
    "이 기능은 장애 발생시 Miradel 주식회사에 자료를 송신하는 기능이므로\r요청이 있을 경우에만 "
    "사용하십시오.\r\r계속 진행하시겠습니까 ?");

// The window disabled and the tables closed while the work runs; opened
// again on every way out.
class TablesClosed
{
public:
    TablesClosed(QWidget* window, shell::Ui& ui, store::TDM1* dm)
        : m_window(window), m_ui(ui), m_dm(dm)
    {
        if (m_window)
            m_window->setEnabled(false);
        if (m_dm)
            m_dm->Close();
    }
    ~TablesClosed()
    {
        if (m_dm) {
            m_ui.ShowWaitMessage(QStringLiteral("자료를 열고 있습니다."));
            m_dm->OpenTables();
        }
        m_ui.CloseWait();
        if (m_window)
            m_window->setEnabled(true);
    }
    TablesClosed(const TablesClosed&) = delete;
    TablesClosed& operator=(const TablesClosed&) = delete;

private:
    QWidget* m_window;
    shell::Ui& m_ui;
    store::TDM1* m_dm;
};

// A question captioned with its own title instead of the program's.
class OwnCaption
{
public:
    explicit OwnCaption(const QString& caption) : m_saved(shell::ApplicationTitle())
    {
        shell::SetApplicationTitle(caption);
    }
    ~OwnCaption() { shell::SetApplicationTitle(m_saved); }
    OwnCaption(const OwnCaption&) = delete;
    OwnCaption& operator=(const OwnCaption&) = delete;

private:
    QString m_saved;
};

bool askBackupFirst(shell::Ui& ui)
{
    OwnCaption caption(QStringLiteral("자료 백업"));
    return ui.Confirm(QStringLiteral("현재 자료를 먼저 백업 하시겠습니까?"), false);
}

// Sends something to the help desk after the warning and the password, with
// the tables closed (`dm`'s too when given), and says so when it went.
template <typename Send>
bool sendToHelpDesk(QWidget* window, shell::Ui& ui, shell::Workspace& ws, store::TDM1* dm,
                    const PasswordPrompt& askPassword, Send&& send, const QString& doneText)
{
    if (!ui.Confirm(kHelpDeskWarning, false) || !askPassword || !askPassword(ui, window))
        return false;
    SendOutcome sent;
    {
        TablesClosed closed(window, ui, dm);
        Context ctx{ui, ws};
        sent = send(ctx);
    }
    if (sent.sent)
        ui.ShowInfo(doneText);
    return sent.sent;
}

} // namespace

bool RunBackupEntry(QWidget* window, shell::Ui& ui, store::TDM1& dm, shell::Workspace& ws)
{
    bool ok = false;
    {
        TablesClosed closed(window, ui, &dm);
        Context ctx{ui, ws};
        ok = Backup(ctx, {});
    }
    if (ok)
        ui.ShowInfo(QStringLiteral("자료 받기가 완료되었습니다."));
    return ok;
}

bool RunRestoreEntry(QWidget* window, shell::Ui& ui, store::TDM1& dm, shell::Workspace& ws)
{
    bool ok = false;
    {
        TablesClosed closed(window, ui, &dm);
        Context ctx{ui, ws};
        ok = Restore(ctx) && Reorganise(ctx) && dm.PrepareDatabase(ws.dataDir);
    }
    if (ok)
        ui.ShowInfo(QStringLiteral("자료 복구가 완료되었습니다."));
    return ok;
}

bool RunReorganiseEntry(QWidget* window, shell::Ui& ui, store::TDM1& dm, shell::Workspace& ws)
{
    if (askBackupFirst(ui) && !RunBackupEntry(window, ui, dm, ws))
        return false; // the backup that was asked for is not there: leave the data alone
    bool ok = false;
    {
        TablesClosed closed(window, ui, &dm);
        Context ctx{ui, ws};
        ok = Reorganise(ctx) && dm.PrepareDatabase(ws.dataDir);
    }
    if (ok)
        ui.ShowInfo(QStringLiteral("자료 재정리가 완료되었습니다."));
    return ok;
}

bool RunHelpDeskDataEntry(QWidget* window, shell::Ui& ui, store::TDM1& dm, shell::Workspace& ws,
                          edi::Link& link, const PasswordPrompt& askPassword)
{
    return sendToHelpDesk(
        window, ui, ws, &dm, askPassword,
        [&](Context& ctx) { return SendDataToHelpDesk(ctx, link); },
        QStringLiteral(
            "DB 자료 보내기가 완료되었습니다.\r\rMiradel 주식회사에 연락하여 주십시오."));
}

bool RunHelpDeskFileEntry(QWidget* window, shell::Ui& ui, shell::Workspace& ws, edi::Link& link,
                          const PasswordPrompt& askPassword)
{
    return sendToHelpDesk(
        window, ui, ws, nullptr, askPassword,
        [&](Context& ctx) { return SendFileToHelpDesk(ctx, link); },
        QStringLiteral("파일 보내기가 완료되었습니다.\r\rMiradel 주식회사에 연락하여 주십시오."));
}

bool UnattendedBackup(shell::Ui& ui, shell::Workspace& ws, const QString& folder)
{
    Context ctx{ui, ws};
    return Backup(ctx, folder);
}

bool InteractiveBackup(shell::Ui& ui, shell::Workspace& ws)
{
    Context ctx{ui, ws};
    return Backup(ctx, {});
}

} // namespace maintenance::ui
