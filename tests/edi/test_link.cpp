// The wrappers' success rules, the outcome of a call and its message.

#include "edi/link.h"
#include "shell/link_settings.h"
#include "shell/workspace.h"
#include "tests/support/workspace_fixture.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using edi::LinkKind;

// Answers each call with the codes the test sets and notes the key it got.
class FakeLink : public edi::Link
{
public:
    qint32 code = 0;
    qint32 sendCode = -1;
    qint32 receiveCode = -1;
    QString lastKey;

    qint32 EnvSetup(const QString& key) override { return answer(key); }
    qint32 Send(const QString& key) override { return answer(key); }
    qint32 Receive(const QString& key) override { return answer(key); }
    qint32 ReReceive(const QString& key) override { return answer(key); }
    qint32 ResultReceiveNoDlg(const QString& key) override { return answer(key); }
    qint32 SendReceive(const QString& key, qint32& s, qint32& r) override
    {
        EXPECT_EQ(s, -1);
        EXPECT_EQ(r, -1);
        s = sendCode;
        r = receiveCode;
        return answer(key);
    }

private:
    qint32 answer(const QString& key)
    {
        lastKey = key;
        return code;
    }
};

TEST(LinkMessage, EveryKindAndCode)
{
    struct Row
    {
        LinkKind kind;
        qint32 code;
        const char* text;
    };
    const Row rows[] = {
        {LinkKind::None, 0, "오류없음"},
        {LinkKind::None, -20, "오류없음"},
        {LinkKind::Send, 1, "송신 완료"},
        {LinkKind::Send, 7, "송신 완료"},
        {LinkKind::Receive, 1, "수신 완료"},
        {LinkKind::ReReceive, 3, "수신 완료"},
        {LinkKind::ResultReceive, 1, "송수신 결과 파일 수신 완료"},
        {LinkKind::Setup, 1, "정상 처리 되었습니다."},
        {LinkKind::SendReceive, 1, "?????"},
        {LinkKind::Receive, 0, "수신할 파일이 없습니다"},
        {LinkKind::ReReceive, 0, "수신할 파일이 없습니다"},
        {LinkKind::ResultReceive, 0, "수신할 파일이 없습니다"},
        {LinkKind::Send, 0, "송신할 파일이 없습니다"},
        {LinkKind::Setup, 0, "취소되었습니다."},
        {LinkKind::SendReceive, 0, "?????"},
        {LinkKind::Send, -1, "처리가 중단되었습니다"},
        {LinkKind::Setup, -999, "처리가 중단되었습니다"},
        {LinkKind::Receive, -10, "수신 자료 처리중 오류 발생"},
        {LinkKind::Send, -10, "사용자 ID가 등록되어 있지 않습니다"},
        {LinkKind::ReReceive, -10, "사용자 ID가 등록되어 있지 않습니다"},
        {LinkKind::Receive, -20, "디렉토리 설정이 되어 있지 않습니다"},
        {LinkKind::Send, -30, "헤더 생성 오류 발생"},
        {LinkKind::Send, -40, "헤더 검사 오류 발생"},
        {LinkKind::Send, -50, "송신 파일 Merge 오류 발생"},
        {LinkKind::Send, -60, "송신 파일 압축 오류 발생"},
        {LinkKind::Setup, -777, "프로그램 오류 발생 (Registry 관련)"},
        {LinkKind::Send, -888, "비밀번호 기능 이용시 비밀번호 입력 실패"},
        {LinkKind::Send, -2, "?????"},
        {LinkKind::Receive, -21, "?????"},
        {LinkKind::ResultReceive, -1000, "?????"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(edi::LinkMessage(r.kind, r.code), QString::fromUtf8(r.text))
            << "kind " << int(r.kind) << " code " << r.code;
}

class LinkWrappers : public testing_support::WorkspaceTest
{
protected:
    void SetUp() override
    {
        WorkspaceTest::SetUp();
        shell::SetLinkProgramPath(home() + "Pelmar");
    }
    FakeLink link;
};

TEST_F(LinkWrappers, SingleCallsSucceedAboveZeroAndRememberKindAndCode)
{
    struct Wrapper
    {
        std::function<edi::LinkOutcome(edi::Link&)> call;
        LinkKind kind;
    };
    const Wrapper wrappers[] = {
        {[this](edi::Link& l) { return edi::LinkSetup(l, workspace()); }, LinkKind::Setup},
        {edi::LinkSend, LinkKind::Send},
        {edi::LinkReceive, LinkKind::Receive},
        {edi::LinkReReceive, LinkKind::ReReceive},
        {edi::LinkResultReceive, LinkKind::ResultReceive},
    };
    for (const Wrapper& w : wrappers) {
        for (const qint32 code : {3, 1, 0, -1, -20}) {
            link.code = code;
            link.lastKey.clear();
            const edi::LinkOutcome o = w.call(link);
            EXPECT_EQ(o.ok, code > 0) << int(w.kind) << " " << code;
            EXPECT_EQ(link.lastKey, shell::LinkKey());
            EXPECT_EQ(o.kind, w.kind);
            EXPECT_EQ(o.code, code);
            EXPECT_EQ(o.message, edi::LinkMessage(w.kind, code));
        }
    }
}

TEST_F(LinkWrappers, AnOutcomeBeforeAnyCallSaysNoError)
{
    link.code = -20;
    EXPECT_EQ(edi::LinkSend(link).message, "디렉토리 설정이 되어 있지 않습니다");
    const edi::LinkOutcome none;
    EXPECT_EQ(none.kind, LinkKind::None);
    EXPECT_EQ(none.code, 0);
    EXPECT_EQ(none.message, "오류없음");
}

TEST_F(LinkWrappers, SendReceiveFlagsSuccessAndRememberedPart)
{
    struct Row
    {
        const char* name;
        qint32 code, sendCode, receiveCode;
        bool sent, received, ok;
        LinkKind kind;
        qint32 remembered;
    };
    const Row rows[] = {
        {"both parts moved files", 1, 2, 3, true, true, true, LinkKind::SendReceive, 1},
        // Nothing to send is not a send: the screen must not record one.
        {"nothing to send", 1, 0, 2, false, true, true, LinkKind::Send, 0},
        {"nothing either way", 1, 0, 0, false, true, true, LinkKind::Send, 0},
        {"send ok, nothing to receive", 1, 4, 0, true, true, true, LinkKind::SendReceive, 1},
        {"receive part failed", 1, 2, -10, true, false, true, LinkKind::Receive, -10},
        {"send part failed", 1, -1, 2, false, true, true, LinkKind::Send, -1},
        // The receive failure is remembered last.
        {"both failed", 1, -30, -10, false, false, false, LinkKind::Receive, -10},
        {"session failed", -20, -20, -20, false, false, false, LinkKind::Receive, -20},
        {"session code 0", 0, 2, 2, true, true, false, LinkKind::SendReceive, 0},
    };
    for (const Row& r : rows) {
        link.code = r.code;
        link.sendCode = r.sendCode;
        link.receiveCode = r.receiveCode;
        const edi::SendReceiveOutcome o = edi::LinkSendReceive(link);
        EXPECT_EQ(o.ok, r.ok) << r.name;
        EXPECT_EQ(o.sent, r.sent) << r.name;
        EXPECT_EQ(o.received, r.received) << r.name;
        EXPECT_EQ(o.kind, r.kind) << r.name;
        EXPECT_EQ(o.code, r.remembered) << r.name;
    }
    link.code = 1;
    link.sendCode = 0;
    link.receiveCode = 1;
    EXPECT_EQ(edi::LinkSendReceive(link).message, "송신할 파일이 없습니다");
}

TEST_F(LinkWrappers, SavedSetupReappliesTheLinkDirectories)
{
    shell::InitialiseLinkSettings();
    shell::TEdiConfig cfg;
    ASSERT_TRUE(shell::ReadSettings(cfg));
    cfg.RecvDir = home() + "Elsewhere";
    ASSERT_TRUE(shell::WriteSettings(cfg));

    link.code = 0; // cancelled: the workspace stays as it was
    EXPECT_FALSE(edi::LinkSetup(link, workspace()).ok);
    EXPECT_EQ(workspace().recvDir, home() + "Recv/");

    link.code = 1;
    EXPECT_TRUE(edi::LinkSetup(link, workspace()).ok);
    EXPECT_EQ(workspace().recvDir, home() + "Elsewhere/");
}

} // namespace
