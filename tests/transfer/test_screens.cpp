#include "calendar/business_calendar.h"
#include "reports/spreadsheet_reader.h"
#include "reports/spreadsheet_writer.h"
#include "shell/clock.h"
#include "shell/codec.h"
#include "tests/transfer/transfer_fixture.h"
#include "transfer/ui/tfm_apt1.h"
#include "transfer/ui/tfm_apt2.h"
#include "transfer/ui/transfer_dialogs.h"
#include "widgets/screen_commands.h"

#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QDateEdit>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <memory>

using namespace transfer;
using C = widgets::ScreenCommands;

namespace {

QApplication& app()
{
    static int argc = 1;
    static char name[] = "test_transfer_screens";
    static char* argv[] = {name, nullptr};
    static QApplication* a = new QApplication(argc, argv);
    return *a;
}

// Runs `inside` on the next modal dialog as soon as it shows, then closes
// it; the flag tells whether that happened.
std::shared_ptr<bool> onNextDialog(std::function<void(QDialog*)> inside)
{
    auto seen = std::make_shared<bool>(false);
    QTimer::singleShot(0, [inside, seen] {
        auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_TRUE(d) << "no dialog opened";
        *seen = true;
        inside(d);
        d->close();
    });
    return seen;
}

void show(QWidget& w)
{
    w.show();
    w.activateWindow();
    QApplication::processEvents();
}

// Makes `row` current without selecting anything.
void setCurrentOnly(QTableView* grid, int row)
{
    grid->selectionModel()->setCurrentIndex(grid->model()->index(row, 0),
                                            QItemSelectionModel::NoUpdate);
}

} // namespace

class Screens : public TransferTest
{
protected:
    void SetUp() override
    {
        app();
        TransferTest::SetUp();
    }
    QStringList states()
    {
        QStringList out;
        QSqlQuery q(dm->db());
        q.exec("SELECT AptID, State FROM Apt1 ORDER BY rowid");
        while (q.next())
            out.append(q.value(0).toString() + ":" + q.value(1).toString());
        return out;
    }
};

TEST_F(Screens, BatchScreenModesFollowTheCurrentBatch)
{
    {
        TfmApt1 empty(*dm, ui);
        EXPECT_EQ(empty.windowTitle(), "Veltrin-관리사무소정보");
        EXPECT_TRUE(empty.commands()->action(C::Insert)->isEnabled());
        for (auto e :
             {TfmApt1::Copy, TfmApt1::Lines, TfmApt1::Find, TfmApt1::Sort, TfmApt1::Result})
            EXPECT_FALSE(empty.extra(e)->isEnabled()) << e;
        EXPECT_FALSE(empty.commands()->action(C::Edit)->isEnabled());
        EXPECT_FALSE(empty.commands()->action(C::Delete)->isEnabled());
        EXPECT_FALSE(empty.institution()->isEnabled());
        EXPECT_TRUE(empty.extra(TfmApt1::Group)->isEnabled());
        ASSERT_EQ(empty.groupMenu()->actions().size(), 1);
        EXPECT_EQ(empty.groupMenu()->actions()[0]->text(), "없 음");
        EXPECT_FALSE(empty.groupMenu()->actions()[0]->isEnabled());
    }
    addBatch(1, 1);
    addBatch(2, 3);
    TfmApt1 s(*dm, ui);
    ASSERT_EQ(s.batches().size(), 2);
    EXPECT_TRUE(s.commands()->action(C::Edit)->isEnabled());
    EXPECT_EQ(s.password()->text(), "pw1234");
    EXPECT_EQ(s.transferDate()->date(), QDate(2024, 3, 20));
    EXPECT_EQ(s.institution()->currentText(), "푸른마을아파트");
    setCurrentOnly(s.grid(), 1);
    EXPECT_FALSE(s.commands()->action(C::Edit)->isEnabled());
    EXPECT_TRUE(s.commands()->action(C::Delete)->isEnabled());
    EXPECT_TRUE(s.extra(TfmApt1::Copy)->isEnabled());
    EXPECT_TRUE(s.extra(TfmApt1::Print)->isEnabled());
    EXPECT_TRUE(s.extra(TfmApt1::ListPrint)->isEnabled());

    s.BtnEditClick(); // a received batch is not edited
    EXPECT_FALSE(s.editing());
    setCurrentOnly(s.grid(), 0);
    s.BtnEditClick();
    ASSERT_TRUE(s.editing());
    EXPECT_FALSE(s.grid()->isEnabled());
    EXPECT_TRUE(s.institution()->isEnabled());
    EXPECT_TRUE(s.commands()->action(C::Save)->isEnabled());
    EXPECT_TRUE(s.extra(TfmApt1::Lines)->isEnabled());
    EXPECT_FALSE(s.commands()->action(C::Close)->isEnabled());
    EXPECT_FALSE(s.extra(TfmApt1::Copy)->isEnabled());
    EXPECT_TRUE(s.CloseQuery()); // discards the edit
    EXPECT_FALSE(s.editing());
}

TEST_F(Screens, TransferDatePickerMarksTheBanksHolidaysRed)
{
    TfmApt1 s(*dm, ui);
    QCalendarWidget* calendar = s.transferDate()->calendarWidget();
    ASSERT_NE(calendar, nullptr);
    const auto red = [calendar](const QDate& d) {
        return calendar->dateTextFormat(d).foreground().color() == QColor(Qt::red);
    };
    // The page turns to the month shown and to the next ones.
    const struct
    {
        QDate date;
        bool red;
    } cases[] = {{{2024, 12, 25}, true},  // Christmas, a Wednesday
                 {{2024, 12, 24}, false}, // a Tuesday
                 {{2025, 1, 29}, true},   // the lunar new year, a Wednesday
                 {{2025, 1, 31}, false},  // a Friday after it
                 {{2025, 10, 6}, true}};  // Chuseok, a Monday
    for (const auto& c : cases) {
        calendar->setCurrentPage(c.date.year(), c.date.month());
        EXPECT_EQ(red(c.date), c.red) << c.date.toString(Qt::ISODate).toStdString();
    }

    // A day the branch closed while the screen was open is red the next
    // time the picker opens on the same page.
    ASSERT_TRUE(calendar::SetBranchDay(dm->db(), ui, QDate(2025, 10, 7), false, "정상 영업"));
    ASSERT_TRUE(calendar::SetBranchDay(dm->db(), ui, QDate(2025, 10, 13), true, "지점 휴무"));
    s.SortBy(BatchOrder::None);
    QWidget* popup = calendar->window(); // what the picker's button opens
    popup->show();
    EXPECT_TRUE(red(QDate(2025, 10, 13)));
    EXPECT_FALSE(red(QDate(2025, 10, 7)));
    popup->hide();
}

// A batch not yet sent whose date the calendar closed after it was saved
// stands out; sent and received batches stay as they are.
TEST_F(Screens, BatchOnADayThatBecameClosedIsMarked)
{
    for (int state : {-1, 0, 1, 2, 3})
        addBatch(state + 2, state);
    addBatch(6, 1);
    exec("UPDATE Apt1 SET IcheDate = '2024-03-21' WHERE AptID = 6");
    TfmApt1 s(*dm, ui);
    const auto marked = [&] {
        QStringList out;
        for (int row = 0; row < s.grid()->model()->rowCount(); ++row) {
            const QModelIndex cell = s.grid()->model()->index(row, 3);
            const QVariant colour = cell.data(Qt::ForegroundRole);
            if (colour.isValid() && colour.value<QColor>() == QColor(Qt::red))
                out.append(QString::number(s.batches()[row].AptID) + " " +
                           cell.data(Qt::ToolTipRole).toString());
        }
        return out;
    };
    EXPECT_EQ(marked(), QStringList{});

    ASSERT_TRUE(calendar::SetBranchDay(dm->db(), ui, QDate(2024, 3, 20), true, "지점 휴무"));
    s.SortBy(BatchOrder::None); // any reload reads the calendar again
    const QString tip = "이체일자가 휴무일입니다 (지점 휴무). 이체일자를 바꾸십시오.";
    EXPECT_EQ(marked(), (QStringList{"1 " + tip, "2 " + tip, "3 " + tip}));

    ASSERT_TRUE(calendar::SetBranchDay(dm->db(), ui, QDate(2024, 3, 20), false, "정상 영업"));
    s.SortBy(BatchOrder::None);
    EXPECT_EQ(marked(), QStringList{});
}

TEST_F(Screens, BatchSaveFailureKeepsEditingAndStopsTheLinesCommand)
{
    TfmApt1 s(*dm, ui);
    show(s);
    s.BtnInsertClick();
    ASSERT_TRUE(s.editing());
    // Tomorrow is a Saturday: the next business day is proposed.
    EXPECT_EQ(s.transferDate()->date(), QDate(2024, 3, 18));
    s.transferDate()->setDate(QDate(2024, 3, 16));
    s.password()->setText("pw1234");
    // The lines command saves first and stops on the holiday.
    s.BtnLinesClick();
    EXPECT_TRUE(s.editing());
    EXPECT_TRUE(s.saveFailed());
    EXPECT_EQ(ui.texts("info"), QStringList{"지정한 이체 일자가 공휴일입니다."});
    EXPECT_TRUE(s.transferDate()->hasFocus());
    EXPECT_EQ(count("SELECT Count(*) FROM Apt1"), 0);

    s.transferDate()->setDate(QDate(2024, 3, 18));
    s.password()->setText("wrong");
    s.BtnSaveClick();
    EXPECT_TRUE(s.password()->hasFocus());
    EXPECT_TRUE(s.editing());
    s.BtnCancelClick();
    EXPECT_FALSE(s.saveFailed());
    EXPECT_EQ(count("SELECT Count(*) FROM Apt1"), 0);

    s.BtnInsertClick();
    s.transferDate()->setDate(QDate(2024, 3, 18));
    s.password()->setText("pw1234");
    s.remark()->setText("3월분");
    // Saved first, then the lines screen opens for the new batch.
    const auto opened = onNextDialog(
        [](QDialog* d) { EXPECT_EQ(d->windowTitle(), "Veltrin-푸른마을아파트 이체자료"); });
    s.BtnLinesClick();
    EXPECT_TRUE(*opened);
    EXPECT_FALSE(s.editing());
    ASSERT_EQ(s.batches().size(), 1);
    EXPECT_EQ(s.batches()[0].Bigo, "3월분");
    EXPECT_EQ(s.batches()[0].MoBankNo, "301-1234-5678-91");
    EXPECT_EQ(states(), QStringList{"1:-1"});
}

TEST_F(Screens, BatchDeleteRemovesWhatTheQuestionNames)
{
    addBatch(1, 1);
    addBatch(2, 1);
    addBatch(3, 1);
    addLine(1, "11", 100);
    addLine(2, "11", 100);
    TfmApt1 s(*dm, ui);
    // Row 0 selected, row 2 current: the selected one goes.
    s.grid()->selectionModel()->select(s.grid()->model()->index(0, 0),
                                       QItemSelectionModel::ClearAndSelect |
                                           QItemSelectionModel::Rows);
    setCurrentOnly(s.grid(), 2);
    ui.answerConfirm(true);
    ui.answerConfirm(true);
    s.BtnDeleteClick();
    EXPECT_EQ(ui.texts("confirm")[0], "선택된 1개의 자료를 삭제하시겠습니까?");
    EXPECT_EQ(states(), (QStringList{"2:1", "3:1"}));
    EXPECT_EQ(count("SELECT Count(*) FROM Apt2"), 1);

    // Nothing selected: the current one.
    s.grid()->clearSelection();
    setCurrentOnly(s.grid(), 1);
    ui.answerConfirm(true);
    ui.answerConfirm(true);
    s.BtnDeleteClick();
    EXPECT_EQ(states(), QStringList{"2:1"});
}

TEST_F(Screens, BatchDoubleClickCopyAndSort)
{
    addBatch(1, 1);
    addBatch(2, 3);
    exec("UPDATE Apt1 SET GiganID10 = 'B' WHERE AptID = 1");
    addLine(2, "11", 100, "X", 3);
    addLine(2, "11", 200, "Y", 3);
    TfmApt1 s(*dm, ui);
    ui.answerConfirm(true);
    s.GridDblClick();
    EXPECT_EQ(states(), (QStringList{"1:0", "2:3"}));
    setCurrentOnly(s.grid(), 1);
    s.GridDblClick(); // received: nothing asked
    EXPECT_EQ(ui.pendingAnswers(), 0);

    s.BtnCopyClick(true);
    ASSERT_EQ(s.batches().size(), 3);
    EXPECT_EQ(s.batches()[2].TotNo, 1);
    EXPECT_EQ(s.batches()[2].State, BatchState::Waiting);
    EXPECT_EQ(s.grid()->currentIndex().row(), 2);

    s.SortBy(BatchOrder::GiganID10);
    EXPECT_TRUE(s.sortAction(BatchOrder::GiganID10)->isChecked());
    EXPECT_EQ(s.batches()[0].AptID, 2);
    EXPECT_EQ(s.batches()[2].AptID, 1);
    s.SortBy(BatchOrder::State);
    EXPECT_EQ(s.batches()[0].AptID, 1);
}

TEST_F(Screens, BatchSearchAndResultView)
{
    addBatch(1, 3);
    addBatch(2, 1);
    addBatch(3, 1);
    exec("UPDATE Apt1 SET IcheDate = '2024-03-25' WHERE AptID = 3");
    TfmApt1 s(*dm, ui);
    const auto opened = onNextDialog([&](QDialog* d) {
        auto* f = qobject_cast<TfmFindTon1*>(d);
        ASSERT_TRUE(f);
        f->fromDate()->setText("2024-13-01");
        f->BtnFirstClick();
        EXPECT_EQ(ui.texts("info"),
                  QStringList{"검색 조건으로 입력된 일자 데이타가 적합하지 않습니다."});
        f->fromDate()->setText("2024-03-21");
        f->BtnFirstClick();
        EXPECT_EQ(s.grid()->currentIndex().row(), 2);
        f->BtnNextClick();
        EXPECT_EQ(ui.texts("info").last(), "더이상 조건에 해당하는 자료가 없습니다.");
        f->fromDate()->clear();
        f->institution()->setCurrentIndex(1);
        f->BtnNextClick();
        EXPECT_EQ(ui.texts("info").last(), "더이상 조건에 해당하는 자료가 없습니다.");
        f->BtnFirstClick();
        EXPECT_EQ(s.grid()->currentIndex().row(), 0);
        EXPECT_FALSE(s.commands()->toolBar()->isEnabled());
    });
    s.BtnFindClick();
    EXPECT_TRUE(*opened);
    EXPECT_TRUE(s.commands()->toolBar()->isEnabled());

    TfmTong3 result(s.batches()[0]);
    EXPECT_EQ(result.windowTitle(), "결과보기");
    const QStringList counts = {result.countText(0), result.countText(1), result.countText(2),
                                result.countText(3), result.countText(4)};
    EXPECT_EQ(counts, (QStringList{"9", "1", "2", "3", "3"}));
    EXPECT_EQ(result.amountText(4), "300");
}

TEST_F(Screens, LinesOfASentBatchAreReadOnly)
{
    addBatch(1, 3);
    addLine(1, "11", 100, "X", 3);
    addLine(1, "11", 100, "Y", 2);
    TfmApt2 s(*dm, ui, 1);
    EXPECT_EQ(s.windowTitle(), "Veltrin-푸른마을아파트 이체자료");
    for (C::Command c : {C::Insert, C::Edit, C::Delete})
        EXPECT_FALSE(s.commands()->action(c)->isEnabled()) << c;
    for (auto e : {TfmApt2::Copy, TfmApt2::Convert, TfmApt2::SelectAll, TfmApt2::SetAmount})
        EXPECT_FALSE(s.extra(e)->isEnabled()) << e;
    EXPECT_TRUE(s.extra(TfmApt2::Find)->isEnabled());
    EXPECT_TRUE(s.extra(TfmApt2::Failed)->isEnabled());
    setCurrentOnly(s.grid(), 1);
    EXPECT_FALSE(s.extra(TfmApt2::Failed)->isEnabled());

    s.BtnDeleteClick(); // refused without a question
    EXPECT_EQ(count("SELECT Count(*) FROM Apt2"), 2);

    setCurrentOnly(s.grid(), 0);
    const auto opened = onNextDialog([](QDialog* d) {
        auto* f = qobject_cast<TfmTongMic2*>(d);
        ASSERT_TRUE(f);
        EXPECT_EQ(f->requested(), 2);
        EXPECT_EQ(f->failed(), 1);
    });
    s.BtnFailedClick();
    EXPECT_TRUE(*opened);
    EXPECT_EQ(s.grid()->currentIndex().row(), 0);

    // Closing changes no totals of a sent batch.
    s.BtnCloseClick();
    EXPECT_EQ(value("SELECT E1TotMon FROM Apt1").toInt(), 900);
}

TEST_F(Screens, LineEntryChecksAndContinuousEntry)
{
    addBatch(1, -1);
    TfmApt2 s(*dm, ui, 1);
    show(s);
    EXPECT_FALSE(s.commands()->action(C::Edit)->isEnabled());
    EXPECT_TRUE(s.extra(TfmApt2::Convert)->isEnabled());
    EXPECT_TRUE(s.importAction()->isEnabled());
    EXPECT_TRUE(s.exportAction()->isEnabled());

    s.BtnInsertClick();
    ASSERT_TRUE(s.editing());
    EXPECT_TRUE(s.field(LineField::Dong)->hasFocus());
    EXPECT_EQ(s.field(LineField::BankCode)->text(), "11");
    EXPECT_FALSE(s.commands()->action(C::Close)->isEnabled());
    s.field(LineField::Dong)->setText("101");
    s.field(LineField::Ho)->setText("1203");
    s.field(LineField::BankNo)->setText("301-1234-5678-91");

    struct Case
    {
        QString amount;
        QString message;
    } refused[] = {
        {"abc", "이체금액이 적절하지 않습니다."},
        {"0", "이체금액은 0보다 큰 금액을 입력해야 합니다."},
        {"5,000,001", "이체금액이 한도를 초과했습니다.\r\r최대 이체 한도는 ₩5,000,000 입니다."},
    };
    for (const Case& c : refused) {
        ui.clear();
        s.field(LineField::IcheMoney)->setText(c.amount);
        s.BtnSaveClick();
        EXPECT_EQ(ui.texts("info"), QStringList{c.message});
        EXPECT_TRUE(s.editing());
        EXPECT_TRUE(s.field(LineField::IcheMoney)->hasFocus()) << c.amount.toStdString();
    }
    s.field(LineField::IcheMoney)->setText("150000");
    s.field(LineField::BankCode)->setText("98");
    ui.clear();
    s.BtnSaveClick();
    EXPECT_EQ(ui.texts("info"), QStringList{"은행코드가 적절하지 않습니다."});
    EXPECT_TRUE(s.field(LineField::BankCode)->hasFocus());
    EXPECT_EQ(count("SELECT Count(*) FROM Apt2"), 0);

    s.field(LineField::BankCode)->setText("11");
    s.extra(TfmApt2::Continuous)->setChecked(true);
    EXPECT_EQ(s.extra(TfmApt2::Continuous)->text(), "연속입력");
    s.BtnSaveClick();
    // The next new line starts at once.
    EXPECT_TRUE(s.editing());
    EXPECT_EQ(s.lines().size(), 1);
    EXPECT_EQ(s.lines()[0].NapbuNo, "1011203");
    s.BtnCloseClick(); // refused while editing
    EXPECT_TRUE(s.isVisible());
    EXPECT_TRUE(s.editing());
    s.BtnCancelClick();

    // Closing sets the totals and the state.
    s.BtnCloseClick();
    EXPECT_FALSE(s.isVisible());
    EXPECT_EQ(states(), QStringList{"1:1"});
    EXPECT_EQ(value("SELECT TotMoney FROM Apt1").toInt(), 150000);
    EXPECT_EQ(value("SELECT E1JunMon FROM Apt1").toInt(), 150000);
}

TEST_F(Screens, LineBulkAmountDeleteAndCopy)
{
    addBatch(1, 1);
    for (int i = 0; i < 4; ++i)
        addLine(1, i < 2 ? "11" : "04", 1000);
    TfmApt2 s(*dm, ui, 1);
    EXPECT_TRUE(s.extra(TfmApt2::SetAmount)->isEnabled());
    EXPECT_TRUE(s.extra(TfmApt2::SelectAll)->isEnabled());

    // A refused amount changes nothing.
    setCurrentOnly(s.grid(), 2);
    s.SelectAllClick();
    EXPECT_EQ(s.grid()->selectionModel()->selectedRows().size(), 4);
    EXPECT_EQ(s.grid()->currentIndex().row(), 0);
    ui.answerPrompt("-5000");
    s.SetAmountClick();
    EXPECT_EQ(ui.texts("info"), QStringList{"이체금액은 0보다 큰 금액을 입력해야 합니다."});
    EXPECT_EQ(count("SELECT Sum(IcheMoney) FROM Apt2"), 4000);

    s.grid()->selectionModel()->select(s.grid()->model()->index(1, 0),
                                       QItemSelectionModel::ClearAndSelect |
                                           QItemSelectionModel::Rows);
    s.grid()->selectionModel()->select(s.grid()->model()->index(3, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    ui.answerPrompt("2,500");
    s.SetAmountClick();
    EXPECT_EQ(count("SELECT Sum(IcheMoney) FROM Apt2"), 7000);
    EXPECT_EQ(s.lines()[1].IcheMoney, 2500);
    EXPECT_EQ(s.lines()[3].IcheMoney, 2500);
    EXPECT_TRUE(s.grid()->selectionModel()->selectedRows().size() <= 1);

    // Copy the current line, then delete the first line only.
    setCurrentOnly(s.grid(), 3);
    s.BtnCopyClick();
    ASSERT_EQ(s.lines().size(), 5);
    EXPECT_EQ(s.lines()[4].IcheMoney, 2500);
    s.grid()->clearSelection();
    setCurrentOnly(s.grid(), 0);
    ui.answerConfirm(true);
    s.BtnDeleteClick();
    EXPECT_EQ(ui.texts("confirm").last(), "선택된 1 개의 자료를 삭제하시겠습니까?");
    ASSERT_EQ(s.lines().size(), 4);

    s.BtnCloseClick();
    EXPECT_EQ(value("SELECT TotNo FROM Apt1").toInt(), 4);
    EXPECT_EQ(value("SELECT TotMoney FROM Apt1").toInt(), 8500);
    EXPECT_EQ(value("SELECT E1JunMon FROM Apt1").toInt(), 2500);
    EXPECT_EQ(value("SELECT E1SucMon FROM Apt1").toInt(), 6000);
}

TEST_F(Screens, LineConsentCheckAndWarning)
{
    addBatch(1, 1);
    addLine(1, "11", 100, "Z", 1, "101", "1", "3011234567891");
    exec("INSERT INTO TongRegister (Giganid, Bankcd, Bankno, NapbuNO, Status) VALUES "
         "('A123456789', '11', '3011234567891', '1011', 2)");
    TfmApt2 s(*dm, ui, 1);
    EXPECT_TRUE(s.statusLine()->text().isEmpty());

    ui.answerConfirm(false);
    s.consentCheck()->click();
    EXPECT_FALSE(s.consentCheck()->isChecked());
    EXPECT_EQ(ui.texts("confirm"), QStringList{"출금동의 등록여부를 검사하시겠습니까?"});
    EXPECT_TRUE(s.lines()[0].cStatus.isEmpty());

    ui.answerConfirm(true);
    s.consentCheck()->click();
    EXPECT_EQ(s.lines()[0].cStatus, "등록완료");
    EXPECT_TRUE(s.statusLine()->text().isEmpty());
    const QModelIndex cell = s.grid()->model()->index(0, 0);
    EXPECT_FALSE(s.grid()->model()->data(cell, Qt::BackgroundRole).isValid());

    exec("UPDATE TongRegister SET Status = 6");
    s.SortBy(LineOrder::DongHo); // reopens the lines
    EXPECT_EQ(s.lines()[0].cStatus, "해지완료");
    EXPECT_EQ(s.statusLine()->text(), "출금동의 등록이 안된 데이타가 발견되었습니다");
    EXPECT_EQ(s.grid()->model()->data(cell, Qt::BackgroundRole).value<QColor>(),
              QColor(Qt::yellow));
    EXPECT_EQ(s.grid()->model()->data(cell, Qt::ForegroundRole).value<QColor>(), QColor(Qt::red));

    // The warning stays while the window is open.
    exec("UPDATE TongRegister SET Status = 2");
    s.SortBy(LineOrder::None);
    EXPECT_EQ(s.statusLine()->text(), "출금동의 등록이 안된 데이타가 발견되었습니다");
}

TEST_F(Screens, LinesScreenOpenedFromTheBatchScreenRefreshesItsRow)
{
    addBatch(1, -1);
    addLine(1, "12", 700);
    addLine(1, "20", 300);
    TfmApt1 s(*dm, ui);
    const auto opened = onNextDialog([](QDialog* d) {
        auto* lines = qobject_cast<TfmApt2*>(d);
        ASSERT_TRUE(lines);
        lines->SortBy(LineOrder::Account);
    });
    s.BtnLinesClick();
    EXPECT_TRUE(*opened);
    ASSERT_EQ(s.batches().size(), 1);
    EXPECT_EQ(s.batches()[0].State, BatchState::Waiting);
    EXPECT_EQ(s.batches()[0].TotMoney, 1000);
    EXPECT_EQ(s.batches()[0].E1.joMon, 700);
    EXPECT_EQ(s.lineOrder(), LineOrder::Account);
}

TEST_F(Screens, LinesClosedByTheFrameWhileEditingDropTheEdit)
{
    addBatch(1, -1);
    addLine(1, "11", 700);
    TfmApt2 s(*dm, ui, 1);
    show(s);
    s.BtnEditClick();
    s.field(LineField::IcheMoney)->setText("999");
    s.close();
    EXPECT_FALSE(s.isVisible());
    EXPECT_EQ(value("SELECT IcheMoney FROM Apt2").toInt(), 700);
    EXPECT_EQ(value("SELECT TotMoney FROM Apt1").toInt(), 700);
}

TEST_F(Screens, GroupListMakesABatch)
{
    exec("INSERT INTO GroupAp1 (GroupName, AptID, GiganID10, FileGubun, MoBankNo, TotNo, TotMoney, "
         "Pass, State) VALUES ('관리비', 1, 'A123456789', '11', '301-1', 1, 500, 'pw1234', 1)");
    exec("INSERT INTO GroupAp2 (AptID, BankCode, BankNo, IcheMoney, NapbuNo) VALUES "
         "(1, '13', '301-1234-5678-91', 500, '800101')");
    TfmApt1 s(*dm, ui);
    ASSERT_EQ(s.groupMenu()->actions().size(), 1);
    EXPECT_EQ(s.groupMenu()->actions()[0]->text(), "관리비" + QString(5, ' ') + "     1건");
    s.groupMenu()->actions()[0]->trigger();
    ASSERT_EQ(s.batches().size(), 1);
    EXPECT_EQ(s.batches()[0].State, BatchState::Waiting);
    EXPECT_EQ(s.batches()[0].E1.joMon, 500);
    EXPECT_EQ(s.password()->text(), "pw1234");
}

TEST_F(Screens, LinesExportToASpreadsheetAsTheGridShowsThem)
{
    addBatch(1, 1);
    addLine(1, "11", 125000);
    addLine(1, "04", 30000);
    TfmApt2 s(*dm, ui, 1);
    s.BtnExportClick();
    const QStringList opened = ui.texts("open");
    ASSERT_EQ(opened.size(), 1);
    const auto rows = reports::ReadFirstSheet(opened[0]);
    ASSERT_TRUE(rows);
    ASSERT_EQ(rows->size(), 3);
    EXPECT_EQ((*rows)[0], reports::ExportHeadings(reports::ExportKind::TransferLines));
    // The amount is a number cell (shown "#,##0" by the spreadsheet program).
    EXPECT_EQ((*rows)[1][9], QString::number(s.lines()[0].IcheMoney));
    EXPECT_EQ((*rows)[1][10], "미송신");
    EXPECT_EQ((*rows)[1][5], s.lines()[0].BankName);
}
