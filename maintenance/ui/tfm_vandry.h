#pragma once

#include <QStringList>
#include <QWidget>

class QToolButton;
class QMenu;

namespace shell {
class Ui;
struct Workspace;
}
namespace edi {
class Link;
}

namespace maintenance::ui {

// The maintenance program's window: one toolbar with backup, restore,
// reorganise, the help-desk sends (and the link settings) and exit. Started
// with "UPGRADE" it runs the post-upgrade step once and closes.
class TfmVandry : public QWidget
{
    Q_OBJECT
public:
    TfmVandry(shell::Ui& ui, edi::Link& link, shell::Workspace& ws, QStringList arguments,
              QWidget* parent = nullptr);

    // Off-screen when started with any argument, centred otherwise.
    void placeWindow();

    bool BtnBackupClick();
    bool BtnRestoreClick();
    bool BtnReorganiseClick();
    bool MnuSendDataClick();
    bool MnuSendFileClick();
    void MnuLinkSettingsClick();
    // The post-upgrade step; closes the window when done.
    void RunUpgradeStep();

    QToolButton* button(const QString& text) const;
    QMenu* sendMenu() const { return m_sendMenu; }
    bool upgradeMode() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Runs `work` with the window disabled; the wait window is closed and
    // the window enabled again afterwards, also after an error.
    template <typename Work> auto whileDisabled(Work work);
    // Runs `send` (SendDataToHelpDesk, SendFileToHelpDesk) so and says
    // `doneText` when it went, the link's message when the link refused it.
    template <typename Send> bool sendToHelpDesk(Send send, const QString& doneText);

    shell::Ui& m_ui;
    edi::Link& m_link;
    shell::Workspace& m_ws;
    QStringList m_arguments;
    QMenu* m_sendMenu;
    QList<QToolButton*> m_buttons;
    bool m_upgradeStarted = false;
};

} // namespace maintenance::ui
