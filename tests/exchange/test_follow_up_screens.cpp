// The follow-up screens offscreen: the rule screen's edits, the batches
// screen's 불능자료 재청구 with its preview question, and the consent
// register's "확인 필요" list.

#include "codes/ui/fm_follow_up_rules.h"
#include "consent/ui/tfm_tong_register.h"
#include "tests/exchange/exchange_fixture.h"
#include "tests/support/qt_app.h"
#include "transfer/ui/tfm_apt1.h"
#include "widgets/screen_commands.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableView>
#include <QTableWidget>

namespace {

using C = widgets::ScreenCommands;

class FollowUpScreens : public exchange_tests::ExchangeTest
{
protected:
    void SetUp() override
    {
        ExchangeTest::SetUp();
        testing_support::QtApp();
    }

    // A received batch of three lines: refused for want of money, refused
    // for an unknown payer, and paid.
    void addReceived(int aptId)
    {
        addBatch(aptId, "A123456789", "2024-03-14", 3);
        addLine(aptId, "101", "101", "11", "352-1234-5678-91", 10000);
        addLine(aptId, "101", "103", "04", "12345678901", 30000);
        addLine(aptId, "101", "105", "20", "10020030040", 50000);
        exec("UPDATE Apt2 SET State = 3, IcheYebu = 'Y', ResultID4 = '0000' WHERE AptID = ?",
             {aptId});
        exec("UPDATE Apt2 SET IcheYebu = 'X', ResultID4 = '1000' WHERE AptID = ? AND Ho = '101'",
             {aptId});
        exec("UPDATE Apt2 SET IcheYebu = 'X', ResultID4 = '2002' WHERE AptID = ? AND Ho = '103'",
             {aptId});
    }
};

int rowOf(const QTableWidget* grid, const QString& code)
{
    for (int r = 0; r < grid->rowCount(); ++r)
        if (grid->item(r, 0)->text() == code)
            return r;
    return -1;
}

TEST_F(FollowUpScreens, TheRuleScreenSetsAndClearsARule)
{
    codes::FmFollowUpRules s(dm->db(), ui, QStringLiteral("불능 처리 규칙"), false);
    const int seeded = rowOf(s.grid(), "1000");
    ASSERT_GE(seeded, 0);
    EXPECT_EQ(s.grid()->item(seeded, 2)->text(), QStringLiteral("재청구"));
    EXPECT_EQ(s.grid()->item(seeded, 3)->text(), "2");

    const int row = rowOf(s.grid(), "1005");
    ASSERT_GE(row, 0);
    EXPECT_EQ(s.grid()->item(row, 2)->text(), QStringLiteral("없음"));
    s.grid()->setCurrentCell(row, 0);
    s.BtnEditClick();
    ASSERT_TRUE(s.commands()->editing());
    EXPECT_FALSE(s.codeEdit()->isEnabled());
    s.actionBox()->setCurrentIndex(s.actionBox()->findText(QStringLiteral("재청구")));
    EXPECT_TRUE(s.capBox()->isEnabled());
    s.capBox()->setValue(3);
    s.BtnSaveClick();
    EXPECT_FALSE(s.commands()->editing());
    EXPECT_EQ(dump("SELECT Action, Cap FROM FollowUpRule WHERE ResultCode = '1005'"), "1|3");
    EXPECT_EQ(s.grid()->item(s.grid()->currentRow(), 0)->text(), "1005");

    ui.answerConfirm(true);
    s.BtnDeleteClick();
    EXPECT_EQ(dump("SELECT Action, Cap FROM FollowUpRule WHERE ResultCode = '1005'"), "0|");
    EXPECT_EQ(s.grid()->item(rowOf(s.grid(), "1005"), 2)->text(), QStringLiteral("없음"));

    codes::FmFollowUpRules view(dm->db(), ui, QStringLiteral("불능 처리 규칙 보기"), true);
    EXPECT_FALSE(view.commands()->action(C::Edit)->isEnabled());
    EXPECT_FALSE(view.commands()->action(C::Delete)->isEnabled());
}

TEST_F(FollowUpScreens, TheBatchesScreenAsksThenPresentsOnce)
{
    addBatch(1, "A123456789", "2024-03-20");
    addReceived(2);
    transfer::TfmApt1 s(*dm, ui);
    ASSERT_EQ(s.batches().size(), 2);
    const auto select = [&s](int row) {
        s.grid()->selectionModel()->setCurrentIndex(s.grid()->model()->index(row, 0),
                                                    QItemSelectionModel::ClearAndSelect |
                                                        QItemSelectionModel::Rows);
    };
    select(0);
    EXPECT_FALSE(s.represent()->isEnabled()); // not answered yet
    select(1);
    ASSERT_TRUE(s.represent()->isEnabled());

    ui.answerConfirm(false);
    s.BtnRepresentClick();
    ASSERT_EQ(ui.texts("confirm").size(), 1);
    EXPECT_TRUE(ui.texts("confirm")[0].contains(
        QStringLiteral("불능자료 1건, ₩10,000을(를) 이체일 2024-03-18로 재청구하시겠습니까?")))
        << ui.texts("confirm")[0].toStdString();
    EXPECT_TRUE(ui.texts("confirm")[0].contains(
        QStringLiteral("재청구 대상 코드가 아닌 1건은 제외합니다.")));
    EXPECT_EQ(s.batches().size(), 2);

    ui.answerConfirm(true);
    s.BtnRepresentClick();
    ASSERT_EQ(s.batches().size(), 3);
    EXPECT_EQ(s.batches()[s.grid()->currentIndex().row()].AptID, 3);
    EXPECT_EQ(dump("SELECT State, TotNo, TotMoney FROM Apt1 WHERE AptID = 3"), "0|1|10000");

    ui.clear();
    select(1);
    s.BtnRepresentClick(); // nothing new, no question
    EXPECT_TRUE(ui.texts("confirm").isEmpty());
    ASSERT_EQ(ui.texts("info").size(), 1);
    EXPECT_TRUE(ui.texts("info")[0].contains(QStringLiteral("이미 재청구하였습니다")));
    EXPECT_EQ(s.batches().size(), 3);
}

TEST_F(FollowUpScreens, TheConsentRegisterListsTheConsentsToReview)
{
    addReceived(1);
    addConsent("A123456789", "04", "12345678901", "101103", 2);
    addConsent("A123456789", "11", "3521234567891", "101101", 2);
    consent::TfmTongRegister s(dm->db(), ui, workspace());
    ASSERT_EQ(s.rows().size(), 2);
    s.reviewRadio()->click();
    ASSERT_EQ(s.rows().size(), 1);
    EXPECT_EQ(s.rows()[0].NapbuNO, "101103");
    EXPECT_EQ(s.grid()->item(0, 9)->text(),
              QStringLiteral("2024-03-14 [2002] 대상 납부자 없음(자동이체미등록)"));
    EXPECT_EQ(s.reviewRadio()->text(), QStringLiteral("확인 필요(1)"));
    EXPECT_FALSE(s.allCheck()->isChecked());

    s.FilterStatus(std::nullopt);
    EXPECT_EQ(s.rows().size(), 2);
    EXPECT_FALSE(s.reviewRadio()->isChecked());
    EXPECT_EQ(dump("SELECT Status FROM TongRegister ORDER BY rowid"), "2\n2");
}

} // namespace
