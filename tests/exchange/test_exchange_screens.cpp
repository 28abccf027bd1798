// The transmission window, the missing-consent list and the results view,
// offscreen with the scripted Ui.

#include "exchange/ui/fm_register_preview.h"
#include "exchange/ui/tfm_edi.h"
#include "exchange/ui/tfm_send_result.h"
#include "tests/exchange/exchange_fixture.h"
#include "tests/support/qt_app.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <gtest/gtest.h>

namespace {

using exchange_tests::FakeLink;

class Screens : public exchange_tests::ExchangeTest
{
protected:
    void SetUp() override
    {
        testing_support::QtApp();
        ExchangeTest::SetUp();
    }

    static QStringList rowTexts(const QTableWidget* grid, int row)
    {
        QStringList cells;
        for (int c = 0; c < grid->columnCount(); ++c)
            cells << (grid->item(row, c) ? grid->item(row, c)->text() : QString());
        return cells;
    }
};

TEST_F(Screens, TheTransmissionWindowSendsOnceShown)
{
    addBatch(1, "A123456789", "2024-03-20");
    addLine(1, "101", "1203", "13", "301-0123-4567-81", 10000);
    addLine(1, "102", "301", "11", "352-1234-5678-93", 30000);
    addConsent("A123456789", "13", "3010123456781", "1011203", 2, "800101");
    addConsent("A123456789", "04", "12345678901", "103101", 0, "800101");
    addSentEvidence("A123456789", "04", "12345678901", "103101");

    exchange::TfmEdi screen(*dm, ui, mailbox(), workspace(), exchange::ModeSend);
    int previews = 0;
    screen.setMissingConsentPreview([&](const exchange::MissingConsentList& rows) {
        ++previews;
        EXPECT_EQ(rows.size(), 1); // line 2 has no consent
        return true;
    });
    EXPECT_EQ(screen.windowTitle(), QStringLiteral("송신"));
    screen.show();
    QApplication::processEvents();
    // Showing it again (a message box handing the focus back) builds nothing anew.
    screen.hide();
    screen.show();
    QApplication::processEvents();
    EXPECT_EQ(previews, 1);

    EXPECT_EQ(screen.listLabel()->text(), QStringLiteral("송신 자료 내역 : "));
    EXPECT_EQ(screen.counter()->text(), "1 / 2");
    ASSERT_EQ(screen.grid()->rowCount(), 2);
    EXPECT_EQ(rowTexts(screen.grid(), 1), (QStringList{QStringLiteral("푸른마을아파트"), "Veltrin",
                                                       "AB100", "2", QStringLiteral("₩40,000")}));
    EXPECT_EQ(screen.grid()->item(1, 4)->textAlignment(), int(Qt::AlignRight | Qt::AlignVCenter));
    EXPECT_EQ(screen.grid()->item(1, 0)->textAlignment(), int(Qt::AlignCenter));
    EXPECT_EQ(screen.messageLine()->text(), QStringLiteral("\"송신\" 버튼을 누르세요."));
    EXPECT_TRUE(screen.sendButton()->isEnabled());
    EXPECT_EQ(screen.sendButton()->text(), QStringLiteral(" 송 신"));
    EXPECT_FALSE(screen.closeButton()->isVisible());
    screen.grid()->setCurrentCell(1, 0);
    EXPECT_EQ(screen.counter()->text(), "2 / 2");

    screen.sendButton()->click();
    EXPECT_EQ(screen.messageLine()->text(), QStringLiteral("송신 성공."));
    EXPECT_FALSE(screen.messageLine()->styleSheet().contains("red"));
    EXPECT_FALSE(screen.sendButton()->isVisible());
    EXPECT_TRUE(screen.closeButton()->isVisible());
    EXPECT_TRUE(screen.closeButton()->isEnabled());
    EXPECT_EQ(dump("SELECT State FROM Apt1"), "2");
    EXPECT_EQ(dump("SELECT Status FROM TongRegister ORDER BY Bankcd"), "1\n2");
    EXPECT_EQ(filesIn("Mailbox/Outbox"), (QStringList{"Apt_1", "Register_1"}));
}

TEST_F(Screens, AFailedReceiveIsRedAndTheCounterSaysNoData)
{
    FakeLink link;
    link.receiveCode = -10;
    exchange::TfmEdi screen(*dm, ui, link, workspace(), exchange::ModeReReceive);
    screen.FormActivate();
    EXPECT_EQ(screen.windowTitle(), QStringLiteral("재수신"));
    EXPECT_EQ(screen.listLabel()->text(), QStringLiteral("수신 자료 내역 : "));
    EXPECT_EQ(screen.counter()->text(), QStringLiteral("자료 없음"));
    EXPECT_EQ(screen.messageLine()->text(), QStringLiteral("사용자 ID가 등록되어 있지 않습니다"));
    EXPECT_TRUE(screen.messageLine()->styleSheet().contains("red"));
}

TEST_F(Screens, TheMissingConsentListReturnsTheUsersChoice)
{
    const exchange::MissingConsentList rows = {{"A123456789", "04", "123-456", "101301"},
                                               {"A123456789", "11", "3521234", "102301"}};
    exchange::fmRegisterPreview preview(ui, rows, workspace().tempDir());
    EXPECT_EQ(preview.windowTitle(), QStringLiteral("출금동의 안된 자료 목록"));
    EXPECT_EQ(preview.status()->text(), QStringLiteral("출금동의등록이 안된 자료(건):2"));
    ASSERT_EQ(preview.grid()->rowCount(), 2);
    EXPECT_EQ(rowTexts(preview.grid(), 0), (QStringList{"A123456789", "04", "123-456", "101301"}));
    preview.show();
    preview.sendButton()->click();
    EXPECT_EQ(preview.result(), QDialog::Accepted);

    exchange::fmRegisterPreview other(ui, rows, workspace().tempDir());
    other.show();
    other.cancelButton()->click();
    EXPECT_EQ(other.result(), QDialog::Rejected);
}

TEST_F(Screens, TheResultsViewReadsTheMailboxReport)
{
    // One send through the mailbox, then its report.
    writeFile("Send/Apt_1", "plain file without an envelope");
    ASSERT_TRUE(edi::LinkSend(mailbox()).ok);
    exchange::TfmSendResult view(db(), ui, mailbox(), workspace());
    view.show();
    QApplication::processEvents();
    EXPECT_TRUE(ui.saw("info", exchange::NoReportMessage()));
    EXPECT_EQ(view.counter()->text(), QStringLiteral("자료 없음"));

    ui.clear();
    view.reReceiveButton()->click();
    ASSERT_EQ(view.grid()->rowCount(), 1);
    EXPECT_EQ(view.grid()->item(0, 0)->text(), "Apt_1");
    EXPECT_EQ(view.grid()->item(0, 3)->text(), ""); // not fetched yet
    EXPECT_EQ(view.grid()->item(0, 5)->text(), QStringLiteral("정 상"));
    EXPECT_EQ(view.counter()->text(), "1 / 1");
    EXPECT_EQ(view.detailTexts()[0], QStringLiteral("알수없음 (해당 정보명이 등록되어 있지 않음)"));
    EXPECT_EQ(view.detailTexts()[5], QStringLiteral("정상 처리"));
    ASSERT_EQ(ui.texts("info").size(), 1);
    EXPECT_TRUE(ui.texts("info")[0].startsWith(QStringLiteral("이 자료는 ")));
    EXPECT_TRUE(view.messageLine()->text().endsWith(QStringLiteral(" 현재 송신결과 내역")));

    FakeLink failing;
    failing.receiveCode = 0;
    exchange::TfmSendResult again(db(), ui, failing, workspace());
    ui.clear();
    again.reReceiveButton()->click();
    EXPECT_TRUE(ui.saw("info", exchange::ReReceiveFailedMessage()));
}

} // namespace
