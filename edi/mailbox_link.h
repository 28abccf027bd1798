#pragma once

#include "edi/link.h"
#include "shell/link_settings.h"
#include "shell/workspace.h"

#include <QDateTime>
#include <QString>

#include <functional>

// The stand-in link: a mailbox folder shared with the clearing centre
// (clearing-sim). Sent files go into Outbox/, the centre's answers are
// picked up from Inbox/, the last received set is kept in Received/ for a
// re-receive, and Journal.txt notes every file that passed so that the
// transmission report can be built from it. The folder is ProgramDir/Mailbox
// unless the link setting MailboxDir names another.
//
// Codes: the file count (0 when none), -20 when a directory the call needs
// is not set, -1 when a folder cannot be read or written, -777 when the key
// is not this program's or the settings cannot be saved.
namespace edi {

class MailboxLink : public Link
{
public:
    // Shows the settings to the user; true when they were confirmed (and
    // `settings` holds the edited values). Given by whoever makes the link
    // (the screen layer's dialog, the tool's arguments); without one
    // EnvSetup cannot ask and answers -1.
    using SettingsDialog = std::function<bool(shell::TEdiConfig& settings)>;
    explicit MailboxLink(const shell::Workspace& ws, SettingsDialog dialog = {})
        : m_ws(ws), m_settingsDialog(std::move(dialog))
    {
    }

    qint32 EnvSetup(const QString& key) override;
    qint32 Send(const QString& key) override;
    qint32 Receive(const QString& key) override;
    qint32 SendReceive(const QString& key, qint32& sendCode, qint32& receiveCode) override;
    qint32 ReReceive(const QString& key) override;
    qint32 ResultReceiveNoDlg(const QString& key) override;

    // The mailbox folder for these settings (by default under the workspace
    // `programDir`), ending in the separator.
    static QString MailboxDir(const shell::TEdiConfig& settings, const QString& programDir);

    // A name in `dir` that no file has yet: the name itself, else name.1,
    // name.2 … so that a file not yet fetched is never overwritten.
    static QString FreeName(const QString& dir, const QString& name);

    // The centre's side: the file it took from Outbox under `outboxName` is
    // noted as fetched at `when` (first fetch time kept, count raised), with
    // the centre's error text when it could not process it. False when no
    // sent file of that name is in the journal or the journal cannot be written.
    static bool RecordFetch(const shell::TEdiConfig& settings, const QString& programDir,
                            const QString& outboxName, const QDateTime& when,
                            const QString& errorText = {});

private:
    const shell::Workspace& m_ws;
    SettingsDialog m_settingsDialog;
};

} // namespace edi
