#include "exchange/edi_flow.h"

#include "calendar/check_send_date.h"
#include "consent/consent_request.h"
#include "edi/result_files.h"
#include "edi/transfer_request.h"
#include "exchange/hand_over.h"
#include "shell/clock.h"
#include "shell/file_helpers.h"
#include "shell/kept_files.h"
#include "shell/log.h"
#include "shell/ui.h"
#include "shell/wait_scope.h"
#include "shell/workspace.h"
#include "store/exchange_files.h"
#include "store/tdm1.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

namespace exchange {
namespace {

const QString kSendLabel = QStringLiteral("송신 자료 내역 : ");
const QString kReceiveLabel = QStringLiteral("수신 자료 내역 : ");

QString testModeQuestion()
{
    return QStringLiteral("이 프로그램은 장애처리용으로 실행되었습니다.\r\rEDI 망에 접속하지 않고 "
                          "처리를 진행하시겠습니까?\r");
}

bool isSendMode(int mode)
{
    return mode == ModeSend || mode == ModeSendReceive;
}

QString keepFailedMessage(const QString& what, const QString& error)
{
    QString text = what + QStringLiteral(" 파일을 보관할 수 없습니다. ") + error;
    return text.replace('\r', ' ');
}

// A receive whose answers could not be kept: what went wrong, and the
// fetched files, which wait in the receive folder for the next receive.
QString receiveKeepFailedMessage(const QString& recvDir, const QString& error)
{
    QStringList waiting;
    for (const QFileInfo& f : QDir(recvDir).entryInfoList(QDir::Files, QDir::Name))
        waiting.append(QDir::toNativeSeparators(f.absoluteFilePath()));
    QString text = keepFailedMessage(QStringLiteral("수신"), error);
    if (!waiting.isEmpty())
        text += QStringLiteral(" 받은 파일은 다음 수신에서 반영됩니다 : ") + waiting.join(", ");
    return text;
}

// The receive error, naming where each refused file is kept: the answers
// are applied from their kept copies.
QString refusedMessage(const QStringList& refused)
{
    QStringList copies;
    for (const QString& path : refused)
        if (QFileInfo(path).isFile())
            copies.append(QDir::toNativeSeparators(path));
    if (copies.isEmpty())
        return edi::ReceiveErrorMessage();
    return edi::ReceiveErrorMessage() + QStringLiteral(" 보관 파일 : ") + copies.join(", ");
}

} // namespace

QString ModeName(int mode)
{
    switch (mode) {
    case ModeSend:
        return QStringLiteral("송신");
    case ModeSendReceive:
        return QStringLiteral("송수신");
    case ModeReceive:
        return QStringLiteral("수신");
    default:
        return QStringLiteral("재수신");
    }
}

QStringList ListHeadings()
{
    return {QStringLiteral("기  관  명"), QStringLiteral("업 무 명"), QStringLiteral("파일정보"),
            QStringLiteral("건 수"), QStringLiteral("금    액")};
}

QString CountText(qint64 count)
{
    return QLocale(QLocale::English).toString(count);
}

QString AmountText(qint64 amount)
{
    return amount > 0 ? QStringLiteral("\\") + CountText(amount) : QString();
}

QString ShownCell(const QString& cell)
{
    if (!cell.startsWith('\\'))
        return cell;
    return QChar(0x20A9) + cell.mid(1);
}

QStringList ListRow(const edi::TEdiInfo& item)
{
    return {edi::ShownName(item), edi::BusinessName(item.kind), item.fileInfo.toUpper(),
            CountText(item.count), AmountText(item.amount)};
}

QList<QStringList> ListRows(const edi::TEdiInfoList& items)
{
    QList<QStringList> rows;
    for (const edi::TEdiInfo& item : items)
        if (item.count != 0)
            rows.append(ListRow(item));
    return rows;
}

QString AlreadyAppliedMessage()
{
    return QStringLiteral("수신된 자료는 이미 반영된 자료입니다.");
}

QString EdiFlow::RecordFailure(const QString& table)
{
    return QStringLiteral("\"") + table + QStringLiteral("\"의 송신 상태 기록 실패.");
}

EdiFlow::EdiFlow(store::TDM1& dm, shell::Ui& ui, EdiFlowView& view, int mode, edi::Link& link,
                 const shell::Workspace& ws)
    : m_dm(dm), m_ui(ui), m_view(view), m_link(link), m_ws(ws), m_mode(mode)
{
    m_listLabel = isSendMode(mode) ? kSendLabel : kReceiveLabel;
    m_sendCaption = mode == ModeSendReceive ? QStringLiteral(" 송수신") : QStringLiteral(" 송 신");
}

void EdiFlow::changed()
{
    m_view.FlowChanged(*this);
}

void EdiFlow::say(const QString& text, bool error)
{
    m_message = text;
    m_messageError = error;
    changed();
}

bool EdiFlow::refused()
{
    if (!m_view.QuestionRefused())
        return false;
    finish(Outcome::Stopped);
    return true;
}

void EdiFlow::finish(Outcome outcome)
{
    if (m_outcome != Outcome::Failed && m_outcome != Outcome::Stopped)
        m_outcome = outcome;
}

bool EdiFlow::settle()
{
    const HandOverCheck check = SettleOpenHandOvers(m_dm, m_link, m_ws);
    if (check.clear) {
        if (!check.message.isEmpty())
            m_ui.ShowInfo(check.message);
        return true;
    }
    if (!isSendMode(m_mode) && !check.unread) {
        // A receive builds and sends nothing: it may go on.
        m_ui.ShowError(check.message);
        return true;
    }
    m_buttons.sendEnabled = false;
    showCloseOnly(true);
    finish(Outcome::Failed);
    say(check.message, true);
    return false;
}

void EdiFlow::Activate()
{
    if (m_activated)
        return;
    m_activated = true;
    // A send cut off after its hand-over is settled before anything is
    // built or received, so that nothing that left goes twice.
    if (!settle())
        return;
    if (!isSendMode(m_mode)) {
        receiveFlow();
        return;
    }
    QSqlDatabase db = m_dm.db();
    calendar::TCheckSendDate check(m_ui);
    if (check.Setup(db, calendar::kExchangeTable, calendar::kExchangeDateField)) {
        QString stopped;
        if (!check.CheckDateRange(calendar::TransferLabel()))
            stopped = calendar::RangeStoppedStatus();
        else if (!check.CheckDuplicateDate())
            stopped = calendar::DuplicateStoppedStatus();
        if (!stopped.isEmpty()) {
            // Only closing the window is left.
            m_buttons.sendEnabled = false;
            finish(Outcome::Stopped);
            say(stopped, true);
            return;
        }
    }
    sendFlow();
}

void EdiFlow::sendFlow()
{
    m_listLabel = kSendLabel;
    m_buttons = EdiButtons();
    m_buttons.sendEnabled = false;
    m_buttons.cancelEnabled = false;
    m_buttons.closeVisible = false;
    changed();

    const QString sendDir = m_ws.sendDir;
    QDir().mkpath(sendDir);
    const platform::Result<shell::ExchangeFileNames> names = store::ExchangeFileNamesOf(m_dm.db());
    if (!names)
        m_ui.ShowError(names.error());
    if (!names || !shell::EmptySendFolder(m_ui, sendDir, m_ws.programDir, *names)) {
        finish(Outcome::Failed);
        say(edi::BuildErrorMessage(), true);
    } else {
        prepare();
    }

    if (m_ready) {
        m_buttons.sendEnabled = true;
        m_buttons.cancelEnabled = true;
        m_buttons.focus = EdiButtons::Send;
        say(m_mode == ModeSend ? QStringLiteral("\"송신\" 버튼을 누르세요.")
                               : QStringLiteral("\"송수신\" 버튼을 누르세요."));
        return;
    }
    showCloseOnly(true);
    // Only a run that found nothing to send offers the receive: after a
    // build error or a cancelled send the question would not be true.
    if (m_mode != ModeSendReceive || m_outcome != Outcome::Nothing)
        return;
    const bool receiveOnly = m_ui.Confirm(
        QStringLiteral("송신할 자료가 없습니다.\r\r수신 처리만 진행하시겠습니까 ?"), true);
    if (refused() || !receiveOnly)
        return;
    m_mode = ModeReceive;
    m_outcome = Outcome::Open;
    changed();
    receiveFlow();
}

void EdiFlow::prepare()
{
    QSqlDatabase db = m_dm.db();
    const QDateTime prepared = shell::Now();
    say(QStringLiteral("송신 자료를 생성중입니다."));
    m_files = BuildSendFiles(db, m_ui, m_ws, prepared);
    if (!m_files.ok) {
        m_items.clear();
        finish(Outcome::Failed);
        say(edi::BuildErrorMessage(), true);
        return;
    }
    m_items = m_files.items;
    changed();

    const platform::Result<bool> consentsOn = consent::ConsentSendingOn(db);
    if (!consentsOn)
        m_ui.ShowError(consentsOn.error());
    if (!consentsOn || (*consentsOn && m_files.lineCount > 0)) {
        MissingConsentList missing;
        bool go = consentsOn && FindMissingConsents(db, m_ui, missing);
        if (!go) {
            RemoveSendFiles(m_files);
            m_files = SendFiles();
            m_items.clear();
            finish(Outcome::Failed);
            say(edi::BuildErrorMessage(), true);
            return;
        }
        go = m_view.ConfirmMissingConsents(missing);
        if (refused() || !go) {
            // Nothing of a cancelled run is left to be sent.
            RemoveSendFiles(m_files);
            m_files = SendFiles();
            m_items.clear();
            finish(Outcome::Stopped);
            say(QStringLiteral("송신취소 되었습니다."));
            return;
        }
    }
    if (!HasShownRows(m_items)) {
        finish(Outcome::Nothing);
        say(QStringLiteral("송신할 자료가 없습니다."));
        return;
    }
    m_ready = true;
}

void EdiFlow::SendClick()
{
    if (!m_ready)
        return;
    m_ready = false;
    showCloseOnly(false);

    if (transmit() && m_mode == ModeSendReceive) {
        m_listLabel = kReceiveLabel;
        listReceived();
    }
    showCloseOnly(true);
}

void EdiFlow::receiveFlow()
{
    m_listLabel = kReceiveLabel;
    showCloseOnly(false);
    if (transmit())
        listReceived();
    showCloseOnly(true);
}

void EdiFlow::showCloseOnly(bool closeEnabled)
{
    m_buttons.sendVisible = false;
    m_buttons.cancelVisible = false;
    m_buttons.closeVisible = true;
    m_buttons.closeEnabled = closeEnabled;
    m_buttons.focus = closeEnabled ? EdiButtons::Close : EdiButtons::None;
    changed();
}

void EdiFlow::listReceived()
{
    m_items.clear();
    changed();
    processReceived();
    logRows();
}

bool EdiFlow::transmit()
{
    const shell::Workspace& ws = m_ws;
    const QString name = ModeName(m_mode);
    QDir().mkpath(ws.recvDir);
    if (m_mode != ModeSend && !ws.testMode && !emptyReceiveDir())
        return false;
    const QString working = QStringLiteral("자료 ") + name + QStringLiteral(" 처리중입니다.");
    say(working);

    bool linked = true;
    bool sent = false;
    bool received = false;
    edi::LinkOutcome call;
    if (ws.testMode && m_mode != ModeSendReceive) {
        const bool offline = m_ui.Confirm(testModeQuestion(), false);
        if (refused())
            return false;
        if (offline) {
            linked = false;
            sent = m_mode == ModeSend;
        } else if (m_mode != ModeSend && !emptyReceiveDir()) {
            return false;
        }
    }
    // Every request file is kept before it leaves, whatever the link makes of it.
    if (isSendMode(m_mode)) {
        const shell::KeptFiles kept = shell::KeepFiles(ws.sendDir, shell::KeptSendDir(ws));
        if (!kept.ok) {
            finish(Outcome::Failed);
            say(keepFailedMessage(QStringLiteral("송신"), kept.error), true);
            return false;
        }
    }
    // What is about to leave is recorded before the link may take it.
    qint64 journal = 0;
    if (isSendMode(m_mode) && !m_files.requestFiles.isEmpty()) {
        const platform::Result<qint64> opened =
            OpenHandOver(m_dm.db(), m_files, shell::Now());
        if (!opened) {
            finish(Outcome::Failed);
            say(RecordFailure(QStringLiteral("SendJournal")) + ' ' + opened.error(), true);
            return false;
        }
        journal = *opened;
    }
    if (linked) {
        shell::WaitScope wait(m_ui, working);
        switch (m_mode) {
        case ModeSend:
            call = edi::LinkSend(m_link);
            sent = call.ok;
            break;
        case ModeSendReceive: {
            const edi::SendReceiveOutcome both = edi::LinkSendReceive(m_link);
            call = both;
            sent = both.sent;
            received = both.received;
            break;
        }
        case ModeReceive:
            call = edi::LinkReceive(m_link);
            break;
        default:
            call = edi::LinkReReceive(m_link);
            break;
        }
    }

    if (isSendMode(m_mode)) {
        if (sent) {
            say(QStringLiteral("송신 상태를 기록합니다."));
            if (recordSend(journal)) {
                finish(Outcome::Done);
                say(name + QStringLiteral(" 성공."));
            }
            // The files left either way; the log says what went.
            logRows();
        } else {
            finish(Outcome::Failed);
            say(call.message, true);
            // Some files may have gone before the link failed: the report
            // tells which, now if it can, else before the next send.
            if (journal > 0)
                (void)SettleAndTell(m_dm, m_link, m_ws); // the send has failed either way
        }
    }
    if (m_mode == ModeSendReceive) {
        // "송수신 성공." must not stand for a receive that failed.
        if (sent && !received && !m_messageError) {
            finish(Outcome::Failed);
            say(call.message, true);
        }
        return received;
    }
    if (m_mode == ModeSend)
        return false;
    if (shell::CountFiles(ws.recvDir) > 0 || hasPendingAnswers())
        return true;
    finish(Outcome::Failed);
    say(linked ? call.message : QStringLiteral("수신 처리할 파일이 없습니다."), true);
    return false;
}

bool EdiFlow::emptyReceiveDir()
{
    // What an earlier receive fetched but never kept is kept and waits to
    // be applied before the folder is emptied.
    if (const auto kept = KeepReceivedAnswers(m_dm.db(), m_ws); !kept) {
        finish(Outcome::Failed);
        say(receiveKeepFailedMessage(m_ws.recvDir, kept.error()), true);
        return false;
    }
    const platform::Result<shell::ExchangeFileNames> names = store::ExchangeFileNamesOf(m_dm.db());
    if (!names)
        m_ui.ShowError(names.error());
    if (!names || !shell::EmptyExchangeFolder(m_ui, m_ws.recvDir, m_ws.programDir, *names)) {
        finish(Outcome::Failed);
        say(edi::ReceiveErrorMessage(), true);
        return false;
    }
    return true;
}

bool EdiFlow::hasPendingAnswers()
{
    const auto pending = edi::PendingAnswers(m_dm.db());
    return !pending || !pending->isEmpty(); // a failed read is said by the apply
}

bool EdiFlow::recordSend(qint64 journal)
{
    const QString failed = RecordSend(m_dm.db(), m_files, journal);
    if (failed.isEmpty())
        return true;
    finish(Outcome::Failed);
    say(RecordFailure(failed), true);
    shell::WriteLog(RecordFailure(failed), true);
    return false;
}

void EdiFlow::processReceived()
{
    const QString recvDir = m_ws.recvDir;
    // Kept and registered before anything else happens to them: a refused
    // answer stays at hand after the next receive empties the folder, and
    // one whose apply is cut off is applied by the next receive.
    const platform::Result<QList<edi::ResultFile>> before = edi::PendingAnswers(m_dm.db());
    const auto kept = KeepReceivedAnswers(m_dm.db(), m_ws);
    if (!kept) {
        finish(Outcome::Failed);
        say(receiveKeepFailedMessage(recvDir, kept.error()), true);
        return;
    }
    if (before && !before->isEmpty()) {
        QStringList earlier;
        for (const edi::ResultFile& f : *before)
            earlier.append(QDir::toNativeSeparators(f.path));
        const QString text = QStringLiteral("이전 수신에서 반영되지 않은 파일을 반영합니다.\r") +
                             earlier.join('\r');
        shell::WriteLog(QStringLiteral("이전 수신에서 반영되지 않은 파일을 반영합니다. ") +
                        earlier.join(", "));
        m_ui.ShowInfo(text);
    }
    const QString fazip = recvDir + QStringLiteral("FAZIP");
    if (QFileInfo::exists(fazip)) {
        const QString stored =
            recvDir + QStringLiteral("FA") + shell::Today().toString("yyMMdd") + ".zip";
        QFile::remove(stored);
        QFile::rename(fazip, stored);
    }
    // A send that could not be recorded stays the message to see.
    const bool keepRecordFailure = m_messageError && m_outcome == Outcome::Failed;
    const QString recordFailure = m_message;

    const QString working = QStringLiteral("수신된 자료를 처리중입니다. 잠시만 기다려 주십시오.");
    say(working);
    edi::ResultRun run;
    {
        shell::WaitScope wait(m_ui, working);
        run = ApplyPendingAnswers(m_dm, m_ws, kept->answers);
    }
    m_items += run.items;
    if (!run.ok()) {
        finish(Outcome::Failed);
        say(refusedMessage(run.failedFiles), true);
    } else if (HasShownRows(m_items)) {
        finish(Outcome::Done);
        say(QStringLiteral("수신된 자료의 처리가 완료되었습니다."));
    } else if (!run.applied.isEmpty()) {
        finish(Outcome::Nothing);
        say(AlreadyAppliedMessage());
    } else {
        finish(Outcome::Nothing);
        say(QStringLiteral("수신된 자료가 없습니다."));
    }
    if (keepRecordFailure && run.ok())
        say(recordFailure, true);
}

void EdiFlow::logRows()
{
    for (const QStringList& row : rows()) {
        QString line = caption();
        for (const QString& cell : row)
            line += QStringLiteral(", ") + cell;
        shell::WriteLog(line);
    }
}

} // namespace exchange
