#include "edi/link.h"

#include "audit/record.h"

#include "shell/link_settings.h"
#include "shell/workspace.h"

#include <utility>

namespace edi {
namespace {

// What a call of each kind says when it did its work (a code of 1 or more)
// and when it had nothing to do (0).
struct KindTexts
{
    LinkKind kind;
    const char* done;
    const char* nothingToDo;
};
constexpr KindTexts kKindTexts[] = {
    {LinkKind::Send, "송신 완료", "송신할 파일이 없습니다"},
    {LinkKind::Receive, "수신 완료", "수신할 파일이 없습니다"},
    {LinkKind::ReReceive, "수신 완료", "수신할 파일이 없습니다"},
    {LinkKind::ResultReceive, "송수신 결과 파일 수신 완료", "수신할 파일이 없습니다"},
    {LinkKind::Setup, "정상 처리 되었습니다.", "취소되었습니다."},
};

// What the failure codes say, whatever the call (-10 aside).
constexpr std::pair<qint32, const char*> kFailureTexts[] = {
    {-1, "처리가 중단되었습니다"},
    {-999, "처리가 중단되었습니다"},
    {-20, "디렉토리 설정이 되어 있지 않습니다"},
    {-30, "헤더 생성 오류 발생"},
    {-40, "헤더 검사 오류 발생"},
    {-50, "송신 파일 Merge 오류 발생"},
    {-60, "송신 파일 압축 오류 발생"},
    {-777, "프로그램 오류 발생 (Registry 관련)"},
    {-888, "비밀번호 기능 이용시 비밀번호 입력 실패"},
};

LinkOutcome outcome(LinkKind kind, qint32 code)
{
    return {code > 0, code, LinkMessage(kind, code), kind};
}

} // namespace

namespace {

// Each setting that a setup changed, as the change record keeps it; the
// password only as changed.
QList<audit::Change> settingChanges(const shell::TEdiConfig& before, const shell::TEdiConfig& after)
{
    struct Field
    {
        const char* name;
        QString shell::TEdiConfig::*field;
    };
    static const Field fields[] = {
        {"Connect1", &shell::TEdiConfig::Connect1}, {"Connect2", &shell::TEdiConfig::Connect2},
        {"Phone1", &shell::TEdiConfig::Phone1},     {"Phone2", &shell::TEdiConfig::Phone2},
        {"LoginID", &shell::TEdiConfig::LoginID},   {"Password", &shell::TEdiConfig::Password},
        {"SendDir", &shell::TEdiConfig::SendDir},   {"RecvDir", &shell::TEdiConfig::RecvDir},
        {"ResultDir", &shell::TEdiConfig::ResultDir}, {"ScriptDir", &shell::TEdiConfig::ScriptDir},
        {"MailboxDir", &shell::TEdiConfig::MailboxDir}};
    QList<audit::Change> out;
    for (const Field& f : fields) {
        const QString& was = before.*f.field;
        const QString& now = after.*f.field;
        if (was == now)
            continue;
        const bool secret = f.field == &shell::TEdiConfig::Password;
        out.append({audit::action::Update, QStringLiteral("링크 설정"), QString(), QString(),
                    QString::fromLatin1(f.name), secret ? QVariant() : QVariant(was),
                    secret ? QVariant(audit::kSecretChanged) : QVariant(now)});
    }
    return out;
}

} // namespace

LinkOutcome LinkSetup(Link& link, shell::Workspace& ws)
{
    shell::TEdiConfig before;
    shell::ReadSettings(before);
    LinkOutcome o = outcome(LinkKind::Setup, link.EnvSetup(shell::LinkKey()));
    if (o.ok) {
        shell::ApplyLinkDirectories(ws);
        shell::TEdiConfig after;
        shell::ReadSettings(after);
        if (const platform::Result<> recorded =
                audit::RecordInWorkspace(ws, settingChanges(before, after));
            !recorded) {
            o.ok = false;
            o.message = recorded.error();
        }
    }
    return o;
}

LinkOutcome LinkSend(Link& link)
{
    return outcome(LinkKind::Send, link.Send(shell::LinkKey()));
}

LinkOutcome LinkReceive(Link& link)
{
    return outcome(LinkKind::Receive, link.Receive(shell::LinkKey()));
}

LinkOutcome LinkReReceive(Link& link)
{
    return outcome(LinkKind::ReReceive, link.ReReceive(shell::LinkKey()));
}

LinkOutcome LinkResultReceive(Link& link)
{
    return outcome(LinkKind::ResultReceive, link.ResultReceiveNoDlg(shell::LinkKey()));
}

SendReceiveOutcome LinkSendReceive(Link& link)
{
    qint32 sendCode = -1;
    qint32 receiveCode = -1;
    const qint32 code = link.SendReceive(shell::LinkKey(), sendCode, receiveCode);
    SendReceiveOutcome o;
    // A send part that found nothing to send (0) did not send: the caller
    // would otherwise record batches as sent that never left.
    o.sent = sendCode > 0;
    o.received = receiveCode >= 0;
    static_cast<LinkOutcome&>(o) = outcome(LinkKind::SendReceive, code);
    if (!o.sent)
        static_cast<LinkOutcome&>(o) = outcome(LinkKind::Send, sendCode);
    if (!o.received)
        static_cast<LinkOutcome&>(o) = outcome(LinkKind::Receive, receiveCode);
    o.ok = code >= 1 && (o.sent || o.received);
    return o;
}

QString LinkMessage(LinkKind kind, qint32 code)
{
    if (kind == LinkKind::None)
        return QStringLiteral("오류없음");
    if (code >= 0) {
        for (const KindTexts& t : kKindTexts)
            if (t.kind == kind)
                return QString::fromUtf8(code >= 1 ? t.done : t.nothingToDo);
        return QStringLiteral("?????");
    }
    if (code == -10)
        return kind == LinkKind::Receive ? QStringLiteral("수신 자료 처리중 오류 발생")
                                         : QStringLiteral("사용자 ID가 등록되어 있지 않습니다");
    for (const auto& [failure, text] : kFailureTexts)
        if (failure == code)
            return QString::fromUtf8(text);
    return QStringLiteral("?????");
}

} // namespace edi
