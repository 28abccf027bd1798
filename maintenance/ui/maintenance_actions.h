#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace shell {
class Ui;
struct Workspace;
}
namespace store {
class TDM1;
}
namespace edi {
class Link;
}

// The 자료관리 entries of the main program. Each disables the window,
// closes the tables for the work and always opens them again afterwards.
namespace maintenance::ui {

// The program password prompt, handed in by the program.
using PasswordPrompt = std::function<bool(shell::Ui&, QWidget*)>;

// "자료받기 (PC로 저장.백업)": true when the backup was stored.
bool RunBackupEntry(QWidget* window, shell::Ui& ui, store::TDM1& dm, shell::Workspace& ws);
// "자료복구 (불러오기)": restore, then reorganise and prepare.
bool RunRestoreEntry(QWidget* window, shell::Ui& ui, store::TDM1& dm, shell::Workspace& ws);
// "자료 재정리": offers a backup first; reorganises only when no backup was
// wanted or the wanted one was stored.
bool RunReorganiseEntry(QWidget* window, shell::Ui& ui, store::TDM1& dm, shell::Workspace& ws);
// "DB 자료보내기" and "파일보내기": warning, password, send.
bool RunHelpDeskDataEntry(QWidget* window, shell::Ui& ui, store::TDM1& dm, shell::Workspace& ws,
                          edi::Link& link, const PasswordPrompt& askPassword);
bool RunHelpDeskFileEntry(QWidget* window, shell::Ui& ui, shell::Workspace& ws, edi::Link& link,
                          const PasswordPrompt& askPassword);

// The two backups after an upgrade, as the main window runs them.
bool UnattendedBackup(shell::Ui& ui, shell::Workspace& ws, const QString& folder);
bool InteractiveBackup(shell::Ui& ui, shell::Workspace& ws);

} // namespace maintenance::ui
