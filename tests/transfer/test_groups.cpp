#include "tests/transfer/transfer_fixture.h"
#include "transfer/groups.h"
#include "transfer/lines.h"

using namespace transfer;

class GroupsTest : public TransferTest
{
protected:
    TransferGroup saved(const QString& name, const QString& giganId = "A123456789")
    {
        Groups groups(*dm, ui);
        TransferGroup g = *groups.NewGroup();
        g.GroupName = name;
        g.GiganID10 = giganId;
        g.Pass = "pw1234";
        EXPECT_TRUE(groups.Save(g, true).saved);
        return g;
    }
};

TEST_F(GroupsTest, NewGroupsAreSavedWithoutDateChecks)
{
    Groups groups(*dm, ui);
    TransferGroup g = *groups.NewGroup();
    EXPECT_EQ(g.GroupName, "이름없음");
    EXPECT_EQ(g.GiganID, "A1234567");
    EXPECT_EQ(g.MoBankNo, "301-1234-5678-91");
    EXPECT_EQ(g.State, BatchState::NoData);
    struct Case
    {
        QString name, institution, pass, message;
        GroupField focus;
    } cases[] = {
        {"", "A123456789", "pw1234", "그룹명 항목이 누락되었습니다.", GroupField::Name},
        {"관리비", "", "pw1234", "기관명 항목이 누락되었습니다. ", GroupField::Institution},
        {"관리비", "A123456789", "", "기관비밀번호 항목이 누락되었습니다.", GroupField::Password},
        {"관리비", "A123456789", "wrong", "기관비밀번호가 틀립니다.", GroupField::Password},
    };
    for (const Case& c : cases) {
        TransferGroup row = g;
        row.GroupName = c.name;
        row.GiganID10 = c.institution;
        row.Pass = c.pass;
        const GroupSave s = groups.Save(row, true);
        EXPECT_FALSE(s.saved) << c.message.toStdString();
        EXPECT_EQ(s.focus, c.focus);
        EXPECT_EQ(ui.texts("info").last(), c.message);
    }
    // 2024-03-16 is a Saturday: a group is never sent, so its date is not checked.
    g.GroupName = "관리비";
    g.Pass = "pw1234";
    ASSERT_TRUE(groups.Save(g, true).saved);
    EXPECT_EQ(groups.Find(g.AptID)->GiganName, "푸른마을아파트");
    EXPECT_EQ(dm->NextGroupNumber(), g.AptID + 1);
}

TEST_F(GroupsTest, SearchMatchesTheBeginningOfTheName)
{
    saved("관리비");
    saved("아파트관리");
    const QList<TransferGroup> all = Groups(*dm, ui).List(GroupOrder::Name).value();
    ASSERT_EQ(all.size(), 2);
    EXPECT_EQ(FindGroup(all, 0, {"관리", ""}), 0);
    EXPECT_EQ(FindGroup(all, 1, {"관리", ""}), -1);
    EXPECT_EQ(FindGroup(all, 0, {"", "B000000000"}), -1);
    EXPECT_EQ(FindGroup(all, 1, {"", "a123456789"}), 1);
}

TEST_F(GroupsTest, GroupLinesKeepTheRealNameAndTheHyphenatedAccount)
{
    const TransferGroup g = saved("관리비");
    TransferLines lines(*dm, ui, g.AptID, LineTable::Group);
    TransferItem l = lines.NewLine(g.lineHead());
    EXPECT_EQ(l.BankCode, "35");
    l.BankCode = "11";
    l.BankNo = "12345678901";
    l.IcheMoney = 5000;
    l.Dong = "101";
    l.Ho = "1203";
    l.NapbuNo = "8001011234567";
    const LineSave refused = lines.Save(l, true);
    EXPECT_FALSE(refused.saved);
    EXPECT_EQ(refused.focus, LineField::IcheMoney);
    EXPECT_EQ(ui.texts("info").last(), "실명번호의 주민등록번호는 생년월일로 대체 되었습니다.\r\n"
                                       "확인 후 수정해 주시기 바랍니다.");
    l.NapbuNo = "800101";
    ASSERT_TRUE(lines.Save(l, true).saved);
    const QList<TransferItem> stored = lines.List().value();
    ASSERT_EQ(stored.size(), 1);
    EXPECT_EQ(stored[0].BankNo, "123-45-678901");
    EXPECT_EQ(stored[0].NapbuNo, "800101");
    EXPECT_EQ(count("SELECT Count(*) FROM Apt2"), 0);

    // Closing the group lines brings the head's totals up to date; a batch
    // made from the group carries the hyphenated number and the totals.
    Groups groups(*dm, ui);
    ASSERT_TRUE(groups.RecomputeTotals(g.AptID));
    EXPECT_EQ(groups.Find(g.AptID)->TotMoney, 5000);
    Batches batches(*dm, ui);
    const std::optional<int> batch = batches.CopyGroup(g.AptID);
    ASSERT_TRUE(batch);
    EXPECT_EQ(batches.Find(*batch)->E1.junMon, 5000);
    EXPECT_EQ(TransferLines(*dm, ui, *batch).List().value()[0].BankNo, "123-45-678901");
}

TEST_F(GroupsTest, CopiedGroupsHaveNoStateAndAllTheLines)
{
    const TransferGroup g = saved("관리비");
    exec("INSERT INTO GroupAp2 (AptID, BankCode, BankNo, IcheMoney, NapbuNo, Dong, Ho, DataNo, "
         "State) VALUES (?, '12', '301-1234-5678-91', 700, '800101', '101', '1', 4, 0)",
         {g.AptID});
    exec("UPDATE GroupAp1 SET TotNo = 1, TotMoney = 700, Bigo = '메모'");
    Groups groups(*dm, ui);
    const std::optional<int> copy = groups.Copy(g.AptID);
    ASSERT_TRUE(copy);
    const TransferGroup c = *groups.Find(*copy);
    EXPECT_EQ(c.GroupName, "이름없음");
    EXPECT_EQ(c.State, BatchState::Unset);
    EXPECT_EQ(c.TotMoney, 700);
    EXPECT_EQ(c.Bigo, "메모");
    EXPECT_EQ(c.SendDate, QDate(2024, 3, 15));
    EXPECT_EQ(value("SELECT BankNo || '/' || DataNo || '/' || State || '/' || IcheDate FROM "
                    "GroupAp2 WHERE AptID = ?",
                    {*copy})
                  .toString(),
              "301-1234-5678-91/4/1/2024-03-18");
    // Made into a batch, a group without State gives a batch waiting to be sent.
    Batches batches(*dm, ui);
    EXPECT_EQ(batches.Find(*batches.CopyGroup(*copy))->State, BatchState::Waiting);

    ui.answerConfirm(true);
    ui.answerConfirm(true);
    ASSERT_TRUE(groups.Delete({g.AptID}, "그룹"));
    EXPECT_EQ(count("SELECT Count(*) FROM GroupAp2 WHERE AptID = ?", {g.AptID}), 0);
    EXPECT_FALSE(groups.Find(g.AptID));
}
