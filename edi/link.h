#pragma once

#include <QString>
#include <QtGlobal>

#include <memory>

// The EDI link: the outside library that carries files between the send,
// receive and result directories and the clearing centre. Every call takes
// the link key (shell::LinkKey()) and answers with the library's code; the
// wrappers below turn the code into success and remember the last call so
// that LinkMessage can say what happened.
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

// The kind of the remembered call, numbered as LinkMessage's table counts them.
enum class LinkKind : int {
    None = 0,
    Send = 1,
    Receive = 2,
    SendReceive = 3,
    ReReceive = 4,
    ResultReceive = 5,
    Setup = 6,
};

struct LinkCall
{
    LinkKind kind = LinkKind::None;
    qint32 code = 0;
};

// The link this program is bound to: the mailbox link until BindLink
// replaces it. BindLink(nullptr) goes back to a fresh mailbox link.
Link& BoundLink();
void BindLink(std::unique_ptr<Link> link);

// The remembered call; reset at program start (kind none, code 0).
LinkCall LastLinkCall();
void ResetLinkCall();

// Each wrapper calls the link with shell::LinkKey() and remembers kind and
// code. Success is code > 0. LinkSetup also re-applies the link directories
// to the workspace after a saved dialog.
bool LinkSetup(Link& link = BoundLink());
bool LinkSend(Link& link = BoundLink());
bool LinkReceive(Link& link = BoundLink());
bool LinkReReceive(Link& link = BoundLink());
bool LinkResultReceive(Link& link = BoundLink());

// `sent` when the send part handed over at least one file, `received` when
// the receive part did not fail. Succeeds when the session code is >= 1 and
// either flag is set. A failed part is what gets remembered: the send part
// as kind Send, then the receive part as kind Receive.
bool LinkSendReceive(bool& sent, bool& received, Link& link = BoundLink());

// The text for the remembered call ("오류없음" before any call).
QString LinkMessage();
QString LinkMessage(LinkKind kind, qint32 code);

} // namespace edi
