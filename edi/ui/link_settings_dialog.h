#pragma once

#include "edi/mailbox_link.h"
#include "shell/link_settings.h"

#include <QDialog>

class QGridLayout;
class QLineEdit;

namespace shell {
class Ui;
}

namespace edi {

// The mailbox link's settings dialog ("통신 환경 설정"): the send, receive,
// result and script directories, the user ID and password the centre gave,
// and the mailbox folder. The password is shown readable and handed back in
// the link's scrambled form; every other setting passes through unchanged.
class LinkSettingsDialog : public QDialog
{
    Q_OBJECT
public:
    // `own` names what the program and the link write into the folders.
    LinkSettingsDialog(shell::Ui& ui, const shell::TEdiConfig& settings,
                       shell::ExchangeFileNames own, QWidget* parent = nullptr);

    // The settings given, with the user's edits.
    shell::TEdiConfig settings() const;

    // Shows the dialog; on OK `settings` takes the edits and true is returned.
    static bool Edit(shell::Ui& ui, shell::TEdiConfig& settings, shell::ExchangeFileNames own,
                     QWidget* parent = nullptr);

    // "확 인": stays open with an error while a folder is empty, relative,
    // one that may never be emptied or one holding other files than the
    // exchange's (shell::CheckLinkFolders).
    void accept() override;

private:
    QLineEdit* addDirectoryRow(QGridLayout* grid, int row, const QString& label,
                               const QString& name, const QString& value);

    shell::Ui& m_ui;
    shell::TEdiConfig m_settings;
    shell::ExchangeFileNames m_own;
    QLineEdit* m_sendDir = nullptr;
    QLineEdit* m_recvDir = nullptr;
    QLineEdit* m_resultDir = nullptr;
    QLineEdit* m_scriptDir = nullptr;
    QLineEdit* m_mailboxDir = nullptr;
    QLineEdit* m_loginId = nullptr;
    QLineEdit* m_password = nullptr;
};

// The mailbox link's settings dialog: this dialog over the active window,
// knowing the file codes of the database of `ws`; `ui` answers the folder
// choosers and, with `ws`, must outlive every link call.
MailboxLink::SettingsDialog LinkSettingsDialogFor(shell::Ui& ui, const shell::Workspace& ws);

} // namespace edi
