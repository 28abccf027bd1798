#pragma once

#include "edi/edi_info.h"
#include "edi/link.h"
#include "exchange/missing_consents.h"
#include "exchange/send_files.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace shell {
class Ui;
}
namespace store {
class TDM1;
}

// One exchange with the clearing centre, as the transmission window runs
// it: the checks before a send, building the request files, the send
// through the link and recording it, the receive and applying its files.
// The flow keeps what the window shows (caption, list, message line,
// buttons) and tells its view whenever that changes; the window and the
// command-line tool are two such views.
namespace exchange {

enum EdiMode : int {
    ModeSend = 0,
    ModeSendReceive = 1,
    ModeReceive = 2,
    ModeReReceive = 3,
};

// "송신", "송수신", "수신", "재수신".
QString ModeName(int mode);

// The send list as the window shows it.
QStringList ListHeadings();
// The cells of an item's row, in column order.
QStringList ListRow(const edi::TEdiInfo& item);
// The rows of the items that show (an item without lines shows none).
QList<QStringList> ListRows(const edi::TEdiInfoList& items);
QString CountText(qint64 count);   // "#,##0"
QString AmountText(qint64 amount); // "\" + "#,##0", empty when not above 0
// A receive whose every file was applied before: "수신된 자료는 이미 반영된 자료입니다."
QString AlreadyAppliedMessage();
// A cell as the screen shows it: the leading "\" of an amount, which the
// files and logs carry and a Korean code page draws as the won sign, as "₩".
QString ShownCell(const QString& cell);

struct EdiButtons
{
    bool sendVisible = true;
    bool sendEnabled = true;
    bool cancelVisible = true;
    bool cancelEnabled = true;
    bool closeVisible = true;
    bool closeEnabled = true;
    enum Focus { None, Send, Close } focus = None;
};

class EdiFlow;

class EdiFlowView
{
public:
    virtual ~EdiFlowView() = default;
    // Something the window shows changed; the view redraws from the flow.
    virtual void FlowChanged(const EdiFlow& flow) = 0;
    // The lines without a registered consent before a send; true to send.
    virtual bool ConfirmMissingConsents(const MissingConsentList& rows) = 0;
    // True once a question went unanswered (the command-line tool without
    // --yes or --no); the flow then stops where it stands.
    virtual bool QuestionRefused() const { return false; }
};

class EdiFlow
{
public:
    enum class Outcome {
        Open,    // still running, or waiting for the Send button
        Done,    // sent and recorded, or received and applied
        Nothing, // nothing to send or nothing received
        Stopped, // the user declined, or a question went unanswered
        Failed,  // a red message
    };

    // `link` carries the files; `ws` names the folders they pass through.
    EdiFlow(store::TDM1& dm, shell::Ui& ui, EdiFlowView& view, int mode, edi::Link& link,
            const shell::Workspace& ws);

    // The activation flow; runs once however often it is called.
    void Activate();
    // The Send button: transmits what the activation flow prepared.
    void SendClick();

    int mode() const { return m_mode; }
    QString caption() const { return ModeName(m_mode); }
    const QString& listLabel() const { return m_listLabel; }
    const QString& sendCaption() const { return m_sendCaption; }
    const edi::TEdiInfoList& items() const { return m_items; }
    QList<QStringList> rows() const { return ListRows(m_items); }
    const QString& message() const { return m_message; }
    bool messageIsError() const { return m_messageError; }
    const EdiButtons& buttons() const { return m_buttons; }
    Outcome outcome() const { return m_outcome; }
    // Files are built and wait for the Send button.
    bool ready() const { return m_ready; }

    static QString RecordFailure(const QString& table); // "\"Apt1\"의 송신 상태 기록 실패."

private:
    void changed();
    void say(const QString& text, bool error = false);
    bool refused();
    void sendFlow();
    void prepare();
    void receiveFlow();
    // Only Close shows; disabled while a transfer runs, focused after it.
    void showCloseOnly(bool closeEnabled);
    // Replaces the list by what was received and logs it.
    void listReceived();
    // Returns whether something was received (modes 1 to 3).
    bool transmit();
    bool recordSend(qint64 journal);
    // Settles an earlier send cut off after its hand-over; false when the
    // flow must stop (a send whose earlier hand-over cannot be settled).
    bool settle();
    // Keeps what the receive folder holds, then empties it.
    bool emptyReceiveDir();
    bool hasPendingAnswers();
    void processReceived();
    void logRows();
    void finish(Outcome outcome);

    store::TDM1& m_dm;
    shell::Ui& m_ui;
    EdiFlowView& m_view;
    edi::Link& m_link;
    const shell::Workspace& m_ws;
    int m_mode;
    bool m_activated = false;
    bool m_ready = false;
    bool m_sent = false;
    QString m_listLabel;
    QString m_sendCaption;
    edi::TEdiInfoList m_items;
    QString m_message;
    bool m_messageError = false;
    EdiButtons m_buttons;
    Outcome m_outcome = Outcome::Open;
    SendFiles m_files;
};

} // namespace exchange
