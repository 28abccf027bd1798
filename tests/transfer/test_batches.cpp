#include "calendar/business_calendar.h"
#include "shell/clock.h"
#include "shell/codec.h"
#include "tests/transfer/transfer_fixture.h"
#include "transfer/batches.h"
#include "transfer/groups.h"
#include "transfer/lines.h"

using namespace transfer;

namespace {

TransferBatch validBatch(Batches& b)
{
    std::optional<TransferBatch> row = b.NewBatch();
    EXPECT_TRUE(row);
    row->Pass = "pw1234";
    row->IcheDate = QDate(2024, 3, 18); // tomorrow is a Saturday
    return *row;
}

} // namespace

using Batch = TransferTest;

TEST_F(Batch, TransferDateWindowAndHolidays)
{
    struct Case
    {
        QDate today;
        QDate date;
        const char* message; // empty: saved
    } cases[] = {
        {{2024, 3, 15}, {2024, 3, 15}, ""}, // today itself
        {{2024, 3, 15}, {2024, 4, 4}, ""},  // today + 20
        {{2024, 3, 15}, {2024, 4, 5}, "이체일자는 현재일자 부터 20일 이내의 일자를 입력하세요."},
        {{2024, 3, 15}, {2024, 3, 14}, "이체일자가 현재일자 보다 이전일자 입니다."},
        {{2024, 3, 15}, {2024, 3, 16}, "지정한 이체 일자가 공휴일입니다."}, // Saturday
        {{2024, 3, 15}, {2024, 3, 17}, "지정한 이체 일자가 공휴일입니다."}, // Sunday
        {{2024, 4, 10}, {2024, 4, 15}, "지정한 이체 일자가 공휴일입니다."}, // a listed holiday
        {{2024, 2, 1}, {2024, 2, 9}, "지정한 이체 일자가 공휴일입니다."},   // lunar new year's eve
        {{2024, 3, 15}, {2024, 3, 10}, "지정한 이체 일자가 공휴일입니다."}, // holiday comes first
    };
    for (const Case& c : cases) {
        shell::FreezeNow(QDateTime(c.today, QTime(10, 30)));
        ui.clear();
        Batches b(*dm, ui);
        TransferBatch row = validBatch(b);
        row.IcheDate = c.date;
        const BatchSave s = b.Save(row, true);
        const std::string label = c.date.toString(Qt::ISODate).toStdString();
        if (*c.message == 0) {
            EXPECT_TRUE(s.saved) << label;
            EXPECT_TRUE(ui.texts("info").isEmpty()) << label;
        } else {
            EXPECT_FALSE(s.saved) << label;
            EXPECT_EQ(s.focus, BatchField::IcheDate) << label;
            EXPECT_EQ(ui.texts("info"), QStringList{QString::fromUtf8(c.message)}) << label;
        }
    }
    EXPECT_EQ(count("SELECT Count(*) FROM Apt1"), 2);
}

TEST_F(Batch, TwoProgramsCreatingAtOnceNeverShareANumber)
{
    // A second program on the same database; both screens are entering a
    // new batch and a new group, and both show the same next number.
    store::TDM1 other(ui, workspace());
    ASSERT_TRUE(other.Connect(workspace().dataDir));
    Batches mine(*dm, ui);
    Batches theirs(other, ui);
    TransferBatch a = validBatch(mine);
    TransferBatch b = validBatch(theirs);
    ASSERT_EQ(a.AptID, b.AptID);
    ASSERT_TRUE(mine.Save(a, true).saved);
    ASSERT_TRUE(theirs.Save(b, true).saved);
    EXPECT_NE(a.AptID, b.AptID);
    EXPECT_EQ(count("SELECT Count(DISTINCT AptID) FROM Apt1"), 2);
    // The copy made by the other program gets a number of its own too.
    const std::optional<int> copy = theirs.Copy(a.AptID, false);
    ASSERT_TRUE(copy);
    EXPECT_EQ(count("SELECT Count(DISTINCT AptID) FROM Apt1"), 3);

    Groups myGroups(*dm, ui);
    Groups theirGroups(other, ui);
    TransferGroup g = *myGroups.NewGroup();
    TransferGroup h = *theirGroups.NewGroup();
    ASSERT_EQ(g.AptID, h.AptID);
    g.Pass = h.Pass = "pw1234";
    ASSERT_TRUE(myGroups.Save(g, true).saved);
    ASSERT_TRUE(theirGroups.Save(h, true).saved);
    EXPECT_NE(g.AptID, h.AptID);
    EXPECT_EQ(count("SELECT Count(DISTINCT AptID) FROM GroupAp1"), 2);
    EXPECT_EQ(myGroups.Find(g.AptID)->AptID, g.AptID);
}

TEST_F(Batch, NewBatchDefaultsAndRefusalWithoutInstitutions)
{
    Batches b(*dm, ui);
    addBatch(7, 3);
    const std::optional<TransferBatch> row = b.NewBatch();
    ASSERT_TRUE(row);
    EXPECT_EQ(row->AptID, 8);
    EXPECT_EQ(row->GiganID10, "A123456789");
    EXPECT_EQ(row->MoBankNo, "301-1234-5678-91");
    // Friday the 15th: the next business day is Monday, not Saturday.
    EXPECT_EQ(row->IcheDate, QDate(2024, 3, 18));
    EXPECT_EQ(row->State, BatchState::NoData);
    // A day the branch closed is passed over too.
    ASSERT_TRUE(calendar::SetBranchDay(dm->db(), ui, QDate(2024, 3, 18), true, "지점 휴무"));
    EXPECT_EQ(b.NewBatch()->IcheDate, QDate(2024, 3, 19));
    EXPECT_EQ(row->FileGubun, "11");
    EXPECT_EQ(row->BankCode, "35");

    exec("DELETE FROM UserCode");
    EXPECT_FALSE(b.NewBatch());
    EXPECT_EQ(ui.texts("info"),
              QStringList{"환경설정의 이용자설정에서 기관코드을 등록하신 후 작업하십시오."});
}

TEST_F(Batch, SaveChecksInstitutionAndPasswordInOrder)
{
    exec("INSERT INTO UserCode (Name, APID10, APPASS, BankNoApt) VALUES ('햇살', 'B000000002', "
         "'Other9', '100-2')");
    Batches b(*dm, ui);
    struct Case
    {
        QString code;
        QString pass;
        const char* message;
        BatchField focus;
    } cases[] = {
        {"", "pw1234", "기관명 항목이 누락되었습니다. ", BatchField::Institution},
        {"ZZZ", "pw1234", "기관명 항목이 누락되었습니다. ", BatchField::Institution},
        {"A123456789", "", "기관비밀번호 항목이 누락되었습니다.", BatchField::Password},
        {"A123456789", "PW1234", "기관비밀번호가 틀립니다.", BatchField::Password},
        {"A123456789", "Other9", "기관비밀번호가 틀립니다.", BatchField::Password},
    };
    for (const Case& c : cases) {
        ui.clear();
        TransferBatch row = validBatch(b);
        row.GiganID10 = c.code;
        row.Pass = c.pass;
        const BatchSave s = b.Save(row, true);
        EXPECT_FALSE(s.saved) << c.message;
        EXPECT_EQ(s.focus, c.focus) << c.message;
        EXPECT_EQ(ui.texts("info"), QStringList{QString::fromUtf8(c.message)});
    }
    EXPECT_EQ(count("SELECT Count(*) FROM Apt1"), 0);

    // The chosen institution's account and the date pair go with the save.
    TransferBatch row = validBatch(b);
    row.GiganID10 = "B000000002";
    row.Pass = "Other9";
    row.IcheDate = QDate(2024, 3, 18);
    ASSERT_TRUE(b.Save(row, true).saved);
    const TransferBatch stored = *b.Find(row.AptID);
    EXPECT_EQ(stored.MoBankNo, "100-2");
    EXPECT_EQ(stored.IcheEDate, QDate(2024, 3, 18));
    EXPECT_EQ(stored.STAT(), "이체자료없음");

    row.IcheDate = QDate(2024, 3, 19);
    row.Bigo = QStringLiteral("3월분");
    ASSERT_TRUE(b.Save(row, false).saved);
    EXPECT_EQ(b.Find(row.AptID)->IcheEDate, QDate(2024, 3, 19));
    EXPECT_EQ(b.Find(row.AptID)->Bigo, QStringLiteral("3월분"));
    EXPECT_EQ(count("SELECT Count(*) FROM Apt1"), 1);
}

TEST_F(Batch, StateTextsAndDerivedColumns)
{
    const QList<QPair<BatchState, QString>> texts = {{BatchState::NoData, "이체자료없음"},
                                                     {BatchState::Blocked, "송신불가"},
                                                     {BatchState::Waiting, "송신대기"},
                                                     {BatchState::Sent, "송신완료"},
                                                     {BatchState::Received, "수신완료"},
                                                     {BatchState(4), ""},
                                                     {BatchState::Unset, ""}};
    for (const auto& [state, text] : texts)
        EXPECT_EQ(store::BatchStateText(state), text) << int(state);

    TransferBatch b;
    b.SendDate = QDate(2024, 3, 1);
    b.E1 = {10, 4, 3, 2, 1000, 400, 300, 200};
    for (BatchState state : {BatchState::NoData, BatchState::Blocked, BatchState::Waiting}) {
        b.State = state;
        EXPECT_FALSE(b.SDATE().isValid());
    }
    b.State = BatchState::Sent;
    EXPECT_EQ(b.SDATE(), QDate(2024, 3, 1));
    EXPECT_EQ(b.E1ErrNo(), 1);
    EXPECT_EQ(b.E1ErrMon(), 100);
}

TEST_F(Batch, ListSortsByTheIndexedFields)
{
    exec("INSERT INTO Apt1 (AptID, GiganID10, IcheDate, SendDate, State) VALUES "
         "(1, 'b', '2024-03-22', '2024-03-02', 3), (2, 'A', '2024-03-20', NULL, 1), "
         "(3, 'c', '2024-03-21', '2024-03-01', 0)");
    Batches b(*dm, ui);
    const auto ids = [&](BatchOrder o) {
        QList<int> out;
        const QList<TransferBatch> rows = b.List(o).value();
        for (const TransferBatch& row : rows)
            out.append(row.AptID);
        return out;
    };
    EXPECT_EQ(ids(BatchOrder::None), (QList<int>{1, 2, 3}));
    EXPECT_EQ(ids(BatchOrder::GiganID10), (QList<int>{2, 1, 3}));
    EXPECT_EQ(ids(BatchOrder::IcheDate), (QList<int>{2, 3, 1}));
    EXPECT_EQ(ids(BatchOrder::SendDate), (QList<int>{2, 3, 1}));
    EXPECT_EQ(ids(BatchOrder::State), (QList<int>{3, 2, 1}));

    const QList<TransferBatch> all = b.List().value();
    BatchSearch s;
    s.from = QDate(2024, 3, 21);
    EXPECT_EQ(FindBatch(all, 0, s), 0);
    EXPECT_EQ(FindBatch(all, 1, s), 2);
    s.to = QDate(2024, 3, 21);
    EXPECT_EQ(FindBatch(all, 0, s), 2);
    s = {"A", {}, {}};
    EXPECT_EQ(FindBatch(all, 0, s), 1);
    EXPECT_EQ(FindBatch(all, 2, s), -1);
}

TEST_F(Batch, CopyAllOrOnlyFailedLines)
{
    addBatch(1, 3);
    exec("UPDATE Apt1 SET Bigo = '원본', MoBankNo = '301-1', SendDate = '2024-03-01' WHERE AptID = "
         "1");
    addLine(1, "11", 1000, "Y");
    addLine(1, "13", 2000, "X", 3, "102", "303", "302-12-345678");
    addLine(1, "04", 4000, "X", 3, "A", "B1");
    addLine(50, "04", 8000, "X"); // another batch's line

    Batches b(*dm, ui);
    const std::optional<int> all = b.Copy(1, false);
    ASSERT_TRUE(all);
    EXPECT_EQ(*all, 2);
    const TransferBatch copy = *b.Find(*all);
    EXPECT_EQ(copy.TotNo, 3);
    EXPECT_EQ(copy.TotMoney, 7000);
    EXPECT_EQ(copy.State, BatchState::Waiting);
    EXPECT_EQ(copy.SendDate, QDate(2024, 3, 15));
    EXPECT_EQ(copy.IcheDate, QDate(2024, 3, 18));
    EXPECT_EQ(copy.Bigo, "원본");
    EXPECT_EQ(copy.Pass, "pw1234");
    // The pairs are those of the copied lines, not the source's results.
    const GroupTotals expected{3, 1, 1, 1, 7000, 1000, 2000, 4000};
    EXPECT_EQ(copy.E1.totNo, expected.totNo);
    EXPECT_EQ(copy.E1.totMon, expected.totMon);
    EXPECT_EQ(copy.E1.junMon, expected.junMon);
    EXPECT_EQ(copy.E1.joMon, expected.joMon);
    EXPECT_EQ(copy.E1.sucMon, expected.sucMon);
    EXPECT_EQ(copy.E1ErrNo(), 0);

    TransferLines lines(*dm, ui, *all);
    const QList<TransferItem> copied = lines.List().value();
    ASSERT_EQ(copied.size(), 3);
    EXPECT_EQ(copied[1].BankNo, "30212345678");
    EXPECT_EQ(copied[1].NapbuNo, "102303");
    EXPECT_EQ(copied[2].NapbuNo, "AB1");
    for (const TransferItem& l : copied) {
        EXPECT_EQ(l.IcheYebu, "Z");
        EXPECT_EQ(l.State, BatchState::Waiting);
        EXPECT_EQ(l.IcheDate, QDate(2024, 3, 18));
        EXPECT_EQ(l.DataNo, 7);
        EXPECT_TRUE(l.ResultID4.isEmpty());
    }

    const std::optional<int> failed = b.Copy(1, true);
    ASSERT_TRUE(failed);
    const TransferBatch f = *b.Find(*failed);
    EXPECT_EQ(f.TotNo, 2);
    EXPECT_EQ(f.TotMoney, 6000);
    EXPECT_EQ(f.E1.junNo, 0);
    EXPECT_EQ(f.E1.joNo, 1);
    EXPECT_EQ(f.E1.sucNo, 1);
    EXPECT_EQ(count("SELECT Count(*) FROM Apt2 WHERE AptID = ?", {*failed}), 2);

    // Without failed lines: an empty copy waiting to be sent; a -1 source stays -1.
    addBatch(20, 1);
    addLine(20, "11", 500, "Y");
    const TransferBatch none = *b.Find(*b.Copy(20, true));
    EXPECT_EQ(none.TotNo, 0);
    EXPECT_EQ(none.State, BatchState::Waiting);
    addBatch(30, -1);
    EXPECT_EQ(b.Find(*b.Copy(30, false))->State, BatchState::NoData);
}

TEST_F(Batch, DeleteRemovesExactlyItsLinesAfterBothQuestions)
{
    addBatch(1, 1);
    addBatch(2, 3);
    addBatch(3, 0);
    for (int i = 0; i < 3; ++i) {
        addLine(1, "11", 100);
        addLine(2, "11", 100);
        addLine(3, "11", 100);
    }
    Batches b(*dm, ui);

    ui.answerConfirm(true);
    ui.answerConfirm(false);
    EXPECT_FALSE(b.Delete({2}, "Veltrin-관리사무소정보"));
    EXPECT_EQ(count("SELECT Count(*) FROM Apt2"), 9);
    EXPECT_FALSE(readFile("202403.log").contains("자료삭제"));

    ui.clear();
    ui.answerConfirm(true);
    ui.answerConfirm(true);
    EXPECT_TRUE(b.Delete({1, 3}, "Veltrin-관리사무소정보"));
    EXPECT_EQ(
        ui.texts("confirm"),
        (QStringList{"선택된 2개의 자료를 삭제하시겠습니까?",
                     "한번 삭제된 자료는 다시 복구할 수 없습니다.\r\r정말 삭제하시겠습니까?"}));
    EXPECT_EQ(ui.texts("progress"), QStringList{"자료 삭제 처리 중..."});
    EXPECT_EQ(count("SELECT Count(*) FROM Apt1"), 1);
    EXPECT_EQ(count("SELECT Count(*) FROM Apt2"), 3);
    EXPECT_EQ(count("SELECT Count(*) FROM Apt2 WHERE AptID = 2"), 3);

    const QString log = shell::FromCp949(readFile("202403.log"));
    EXPECT_TRUE(log.contains("Veltrin-관리사무소정보 자료삭제, GiganID , IcheDate 2024-03-20, "
                             "SendDate , STime , RDate , TotNo 0, TotMoney 0, DataNo , State 1"))
        << log.toStdString();
    EXPECT_EQ(log.count("자료삭제"), 2);
}

TEST_F(Batch, DoubleClickSwitchesBatchAndLines)
{
    addBatch(1, 1);
    addLine(1, "11", 100);
    addLine(1, "11", 100);
    addBatch(2, 2);
    addLine(2, "11", 100, "Z", 2);
    Batches b(*dm, ui);

    ui.answerConfirm(true);
    EXPECT_TRUE(b.ToggleState(1));
    EXPECT_EQ(ui.texts("confirm"), QStringList{"\"송신대기\"를 \"송신불가\"로 변환하시겠습니까?"});
    EXPECT_EQ(count("SELECT Count(*) FROM Apt2 WHERE AptID = 1 AND State = 0"), 2);
    EXPECT_EQ(b.Find(1)->State, BatchState::Blocked);

    ui.clear();
    ui.answerConfirm(false);
    EXPECT_FALSE(b.ToggleState(1));
    EXPECT_EQ(ui.texts("confirm"), QStringList{"\"송신불가\"를 \"송신대기\"로 변환하시겠습니까?"});
    EXPECT_EQ(b.Find(1)->State, BatchState::Blocked);

    // Sent batches are left alone without a question.
    EXPECT_FALSE(b.ToggleState(2));
    EXPECT_EQ(b.Find(2)->State, BatchState::Sent);

    // The tool's switch: no question, same effect, other states refused.
    EXPECT_TRUE(b.SwitchState(1, BatchState::Waiting));
    EXPECT_EQ(count("SELECT Count(*) FROM Apt2 WHERE AptID = 1 AND State = 1"), 2);
    EXPECT_TRUE(b.SwitchState(1, BatchState::Waiting));
    EXPECT_FALSE(b.SwitchState(2, BatchState::Waiting));
    EXPECT_FALSE(b.SwitchState(99, BatchState::Waiting));
    EXPECT_EQ(ui.pendingAnswers(), 0);
}

TEST_F(Batch, TotalsByBankGroup)
{
    addBatch(1, -1);
    addLine(1, "10", 100);
    addLine(1, "11", 200);
    addLine(1, "12", 400);
    addLine(1, "15", 800);
    addLine(1, "16", 1600);
    addLine(1, "04", 3200);
    addLine(2, "11", 99999);
    Batches b(*dm, ui);
    ASSERT_TRUE(b.RecomputeTotals(1));
    TransferBatch t = *b.Find(1);
    EXPECT_EQ(t.TotNo, 6);
    EXPECT_EQ(t.TotMoney, 6300);
    EXPECT_EQ(t.E1.totNo, 6);
    EXPECT_EQ(t.E1.junNo, 2);
    EXPECT_EQ(t.E1.junMon, 300);
    EXPECT_EQ(t.E1.joNo, 2);
    EXPECT_EQ(t.E1.joMon, 1200);
    EXPECT_EQ(t.E1.sucNo, 2);
    EXPECT_EQ(t.E1.sucMon, 4800);
    EXPECT_EQ(t.State, BatchState::Waiting);

    // A held batch stays held; emptied, it has zero totals and no lines.
    exec("UPDATE Apt1 SET State = 0 WHERE AptID = 1");
    ASSERT_TRUE(b.RecomputeTotals(1));
    EXPECT_EQ(b.Find(1)->State, BatchState::Blocked);
    exec("DELETE FROM Apt2 WHERE AptID = 1");
    ASSERT_TRUE(b.RecomputeTotals(1));
    t = *b.Find(1);
    EXPECT_EQ(t.State, BatchState::NoData);
    EXPECT_EQ(t.TotNo, 0);
    EXPECT_EQ(t.TotMoney, 0);
    EXPECT_EQ(t.E1.junMon, 0);
    EXPECT_EQ(value("SELECT TotMoney FROM Apt1 WHERE AptID = 1").isNull(), false);
    EXPECT_EQ(value("SELECT E1SucMon FROM Apt1 WHERE AptID = 1").isNull(), false);

    // Sent batches keep their result totals.
    addBatch(3, 2);
    addLine(3, "11", 5);
    EXPECT_FALSE(b.RecomputeTotals(3));
    EXPECT_EQ(b.Find(3)->E1.totMon, 900);
}

TEST_F(Batch, GroupCopyCountsByBankGroup)
{
    exec("INSERT INTO GroupAp1 (GroupName, AptID, GiganID10, FileGubun, MoBankNo, TotNo, TotMoney, "
         "Pass, Bigo, State) VALUES ('관리비', 4, 'A123456789', '11', '301-1', 99, 99, 'pw1234', "
         "'그룹', NULL), ('빈그룹', 5, 'A123456789', '11', '301-1', 0, 0, 'pw1234', '', -1)");
    for (const auto& [bank, money] :
         QList<QPair<QString, int>>{{"11", 100}, {"14", 200}, {"X1", 400}})
        exec("INSERT INTO GroupAp2 (AptID, BankCode, BankNo, IcheMoney, NapbuNo, Dong, Ho, Bigo) "
             "VALUES (4, ?, '301-1234-5678-91', ?, '800101', '1', '2', '김')",
             {bank, money});
    Batches b(*dm, ui);
    const QList<GroupEntry> groups = b.Groups().value();
    ASSERT_EQ(groups.size(), 2);
    EXPECT_EQ(groups[0].text(), "관리비" + QString(5, ' ') + "    99건");

    const TransferBatch t = *b.Find(*b.CopyGroup(4));
    EXPECT_EQ(t.TotNo, 3);
    EXPECT_EQ(t.TotMoney, 700);
    EXPECT_EQ(t.E1.junMon, 100);
    EXPECT_EQ(t.E1.joMon, 200);
    EXPECT_EQ(t.E1.sucMon, 400);
    EXPECT_EQ(t.E1.totNo, 3);
    EXPECT_EQ(t.State, BatchState::Waiting);
    EXPECT_EQ(t.BankCode, "35");
    TransferLines lines(*dm, ui, t.AptID);
    const QList<TransferItem> l = lines.List().value();
    ASSERT_EQ(l.size(), 3);
    EXPECT_EQ(l[2].DataNo, 3);
    EXPECT_EQ(l[0].BankNo, "301-1234-5678-91");
    EXPECT_EQ(l[0].NapbuNo, "800101");

    const TransferBatch empty = *b.Find(*b.CopyGroup(5));
    EXPECT_EQ(empty.TotNo, 0);
    EXPECT_EQ(empty.State, BatchState::NoData);
}
