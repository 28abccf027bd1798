#pragma once

#include <QString>
#include <QtGlobal>

namespace shell {
struct Workspace;
}

// The EDI link: the outside library that carries files between the send,
// receive and result directories and the clearing centre. Every call takes
// the link key (shell::LinkKey()) and answers with the library's code; the
// wrappers below turn the code into the call's outcome (LinkOutcome), with
// the text LinkMessage gives for it.
namespace edi {

class Link
{
public:
    virtual ~Link() = default;

    // The library's own settings dialog: > 0 saved, 0 cancelled.
    virtual qint32 EnvSetup(const QString& key) = 0;
    // Hands over every file of the send directory: the count, 0 when none.
    virtual qint32 Send(const QString& key) = 0;
    // Fetches the waiting files into the receive directory: the count, 0 when none.
    virtual qint32 Receive(const QString& key) = 0;
    // Both in one session; the part codes are the codes Send and Receive
    // would have given (the caller presets them to -1).
    virtual qint32 SendReceive(const QString& key, qint32& sendCode, qint32& receiveCode) = 0;
    // Fetches the files of the last receive again.
    virtual qint32 ReReceive(const QString& key) = 0;
    // Writes the transmission report RptEDI into the result directory.
    virtual qint32 ResultReceiveNoDlg(const QString& key) = 0;
};

// The kind of a call, numbered as LinkMessage's table counts them.
enum class LinkKind : int {
    None = 0,
    Send = 1,
    Receive = 2,
    SendReceive = 3,
    ReReceive = 4,
    ResultReceive = 5,
    Setup = 6,
};

// What a link call came to: success, the library's code and the text the
// user is shown for it. `kind` is the call the code belongs to (for a
// send-receive, the part that failed). A default outcome is "no call yet".
struct LinkOutcome
{
    bool ok = false;
    qint32 code = 0;
    QString message = QStringLiteral("오류없음");
    LinkKind kind = LinkKind::None;
};

// `sent` when the send part handed over at least one file, `received` when
// the receive part did not fail.
struct SendReceiveOutcome : LinkOutcome
{
    bool sent = false;
    bool received = false;
};

// Each wrapper calls the link with shell::LinkKey(). Success is code > 0.
// LinkSetup also re-applies the link directories to `ws` after a saved
// dialog.
LinkOutcome LinkSetup(Link& link, shell::Workspace& ws);
LinkOutcome LinkSend(Link& link);
LinkOutcome LinkReceive(Link& link);
LinkOutcome LinkReReceive(Link& link);
LinkOutcome LinkResultReceive(Link& link);

// Succeeds when the session code is >= 1 and either part went. A failed
// part is what the outcome tells: the send part as kind Send, then the
// receive part as kind Receive.
SendReceiveOutcome LinkSendReceive(Link& link);

// The text for a call's code ("오류없음" for kind None).
QString LinkMessage(LinkKind kind, qint32 code);

} // namespace edi
