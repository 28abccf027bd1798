#include "audit/audit_file.h"
#include "audit/read.h"
#include "audit/record.h"
#include "audit/ui/monthly_check.h"
#include "audit/ui/tfm_change_record.h"
#include "codes/institution.h"
#include "reports/print/print_layouts.h"
#include "reports/spreadsheet_reader.h"
#include "shell/clock.h"
#include "shell/firm_ini.h"
#include "tests/exchange/exchange_fixture.h"
#include "tests/support/program_run.h"
#include "tests/support/qt_app.h"
#include "transfer/ui/tfm_apt2.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPdfWriter>
#include <QProcess>
#include <QPushButton>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTableWidget>

namespace {

using audit::TfmChangeRecord;

enum Column { Time, User, Program, Action, Table, Key, Field, Old, New };

// A record the tool wrote over two months: February's state change of A's
// batch; in March a branch holiday, B's batch state change, and an export.
class ChangeRecordScreen : public exchange_tests::ExchangeTest
{
protected:
    void SetUp() override
    {
        ExchangeTest::SetUp();
        testing_support::QtApp();
        addInstitution(QStringLiteral("솔빛마을"), "B987654321", "BB100", "BB200");
        addBatch(1, "A123456789", "2024-03-20");
        addBatch(2, "B987654321", "2024-03-20");
        addLine(1, "101", "1203", "11", "352-1234-5678-93", 50000);
        dm->Close();
        tool("2024-02-20 09:00:00", {"set-state", "--batch", "1", "--state", "0"});
        tool("2024-03-05 09:00:00", {"calendar", "add", "2024-03-25", "임시휴무"});
        tool("2024-03-10 09:00:00", {"set-state", "--batch", "2", "--state", "0"});
        tool("2024-03-12 09:00:00", {"export-lines", "--batch", "1", path("out.xlsx")});
        shell::FreezeNow(QDateTime(QDate(2024, 3, 15), QTime(10, 30)));
        audit::Start(QStringLiteral("Pelmar"), workspace(), {});
        ASSERT_TRUE(dm->Connect(workspace().dataDir));
        ASSERT_TRUE(audit::IsAttached(dm->db()));
    }
    void TearDown() override
    {
        shell::ResetClock();
        ExchangeTest::TearDown();
    }
    void tool(const QString& now, const QStringList& args)
    {
        const testing_support::ProgramRun r =
            testing_support::RunProgram(PELMAR_TOOL, home(), args, now);
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    }
    static QStringList column(QTableWidget* grid, int c)
    {
        QStringList out;
        for (int r = 0; r < grid->rowCount(); ++r)
            out.append(grid->item(r, c) ? grid->item(r, c)->text() : QString());
        return out;
    }
};

TEST_F(ChangeRecordScreen, TheFiltersNarrowTheGrid)
{
    struct Case
    {
        const char* name;
        QDate from, to;
        QString table, institution, user, text;
        QStringList actions; // the grid's 작업 column, in order
        QStringList keys; // "*": any (the chain's id)
    };
    const QDate mar1(2024, 3, 1), mar31(2024, 3, 31);
    const QList<Case> cases = {
        {"February", {2024, 2, 1}, {2024, 2, 29}, {}, {}, {}, {},
         {"기록 시작", "상태변경"}, {"*", "1"}},
        {"March", mar1, mar31, {}, {}, {}, {},
         {"입력", "상태변경", "내보내기"}, {"2024-03-25 지점", "2", path("out.xlsx")}},
        {"one day", {2024, 3, 10}, {2024, 3, 10}, {}, {}, {}, {}, {"상태변경"}, {"2"}},
        {"table in any case", {2024, 2, 1}, mar31, "apt1", {}, {}, {},
         {"상태변경", "상태변경"}, {"1", "2"}},
        {"institution", {2024, 2, 1}, mar31, {}, "B987654321", {}, {}, {"상태변경"}, {"2"}},
        {"text", {2024, 2, 1}, mar31, {}, {}, {}, "임시휴무", {"입력"}, {"2024-03-25 지점"}},
        {"another user", {2024, 2, 1}, mar31, {}, {}, "nobody-here", {}, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ui.clear();
        TfmChangeRecord s(dm->db(), ui, workspace());
        s.SetPeriod(c.from, c.to);
        s.tableChoice()->setEditText(c.table);
        s.institutionChoice()->setEditText(c.institution);
        s.userChoice()->setEditText(c.user);
        s.searchEdit()->setText(c.text);
        ASSERT_TRUE(s.FormActivate());
        EXPECT_EQ(column(s.grid(), Action), c.actions);
        QStringList keys = column(s.grid(), Key);
        for (int i = 0; i < keys.size() && i < c.keys.size(); ++i)
            if (c.keys[i] == "*")
                keys[i] = "*";
        EXPECT_EQ(keys, c.keys);
        EXPECT_TRUE(ui.texts("error").isEmpty());
        EXPECT_EQ(s.exportButton()->isEnabled(), !c.actions.isEmpty());
        if (c.actions.isEmpty()) {
            EXPECT_EQ(s.statusLine()->text(), "조건에 맞는 변경 이력이 없습니다.");
        }
    }
    // Opened without a period: this month by the program clock.
    TfmChangeRecord s(dm->db(), ui, workspace());
    EXPECT_EQ(s.fromEdit()->date(), mar1);
    EXPECT_EQ(s.toEdit()->date(), mar31);
    ASSERT_TRUE(s.FormActivate());
    EXPECT_EQ(s.grid()->rowCount(), 3);
    EXPECT_EQ(s.grid()->item(1, Old)->text(), "1");
    EXPECT_EQ(s.grid()->item(1, New)->text(), "0");
    EXPECT_EQ(s.grid()->item(1, Program)->text(), "pelmar-tool");
    EXPECT_EQ(s.grid()->item(1, Time)->text(), "2024-03-10 09:00:00");
}

TEST_F(ChangeRecordScreen, TheExportHoldsTheRowsAndIsItselfRecorded)
{
    TfmChangeRecord s(dm->db(), ui, workspace());
    ASSERT_TRUE(s.FormActivate());
    ASSERT_EQ(s.grid()->rowCount(), 3);
    s.BtnExportClick();
    const QStringList opened = ui.texts("open");
    ASSERT_EQ(opened.size(), 1) << ui.texts("error").join('|').toStdString();
    const auto sheet = reports::ReadFirstSheet(opened[0]);
    ASSERT_TRUE(sheet) << sheet.error().toStdString();
    ASSERT_EQ(sheet->size(), 4);
    EXPECT_EQ((*sheet)[0], QStringList({"시각", "사용자", "프로그램", "작업", "테이블", "키",
                                        "항목", "이전 값", "새 값"}));
    for (int r = 0; r < 3; ++r) {
        QStringList cells = audit::EntryCells(s.entries()[size_t(r)]);
        while (!cells.isEmpty() && cells.last().isEmpty())
            cells.removeLast(); // a sheet's row ends at its last non-empty cell
        EXPECT_EQ((*sheet)[r + 1], cells) << r;
    }
    // The download record names what left and how many rows.
    ASSERT_TRUE(s.FormActivate());
    ASSERT_EQ(s.grid()->rowCount(), 4);
    EXPECT_EQ(s.grid()->item(3, Action)->text(), "내보내기");
    EXPECT_EQ(s.grid()->item(3, Table)->text(), "변경 이력");
    EXPECT_EQ(s.grid()->item(3, Key)->text(), opened[0]);
    EXPECT_EQ(s.grid()->item(3, New)->text(), "3건");
    EXPECT_EQ(s.grid()->item(3, Program)->text(), "Pelmar");
}

// Changes made on the screens of Pelmar: the amount of a line edited on the
// lines screen, with both amounts under its 동-호; an institution's
// password as changed, never with its value.
TEST_F(ChangeRecordScreen, TheScreensChangesAreRecordedWithTheirOldAndNewValues)
{
    {
        transfer::TfmApt2 s(*dm, ui, 1);
        s.show();
        QApplication::processEvents();
        s.BtnEditClick();
        s.field(transfer::LineField::IcheMoney)->setText("500000");
        s.BtnSaveClick();
        ASSERT_FALSE(s.editing()) << ui.texts("info").join(' ').toStdString();
    }
    codes::Institutions institutions(dm->db(), ui);
    const auto found = institutions.FindByCode("A123456789");
    ASSERT_TRUE(found && found->has_value());
    codes::Institution row = **found;
    row.APPASS = "n3wpass9";
    ui.answerConfirm(true);
    ASSERT_TRUE(institutions.Save(row, false).saved);

    audit::Filter today;
    today.from = today.to = QDate(2024, 3, 15);
    const auto entries = audit::ReadEntries(dm->db(), today);
    ASSERT_TRUE(entries) << entries.error().toStdString();
    const auto entry = [&](const QString& table, const QString& field) -> const audit::Entry* {
        for (const audit::Entry& e : *entries)
            if (e.action == "수정" && e.table == table && e.field == field)
                return &e;
        return nullptr;
    };
    const audit::Entry* amount = entry("Apt2", "IcheMoney");
    ASSERT_NE(amount, nullptr);
    EXPECT_TRUE(amount->key.endsWith(" 101-1203")) << amount->key.toStdString();
    EXPECT_EQ(amount->oldValue, "50000");
    EXPECT_EQ(amount->newValue, "500000");
    EXPECT_EQ(amount->program, "Pelmar");
    EXPECT_EQ(amount->time, "2024-03-15 10:30:00");
    const audit::Entry* password = entry("UserCode", "APPASS");
    ASSERT_NE(password, nullptr);
    EXPECT_EQ(password->newValue, audit::kSecretChanged);
    EXPECT_NE(password->oldValue, row.APPASS);
    EXPECT_FALSE(readFile("Data/Audit.db").contains("n3wpass9"));
}

TEST_F(ChangeRecordScreen, AReadThatFailsIsSaidNotShownAsNoChanges)
{
    const QStringList breaks = {"DETACH DATABASE audit",
                                "ALTER TABLE audit.AuditLog RENAME COLUMN NewValue TO Other"};
    for (const QString& statement : breaks) {
        SCOPED_TRACE(statement.toStdString());
        dm->Close();
        ASSERT_TRUE(dm->Connect(workspace().dataDir));
        TfmChangeRecord s(dm->db(), ui, workspace());
        ASSERT_TRUE(s.FormActivate());
        ASSERT_EQ(s.grid()->rowCount(), 3);
        QSqlQuery q(dm->db());
        ASSERT_TRUE(q.exec(statement)) << q.lastError().text().toStdString();
        ui.clear();
        EXPECT_FALSE(s.FormActivate());
        EXPECT_EQ(s.grid()->rowCount(), 0);
        EXPECT_FALSE(s.exportButton()->isEnabled());
        EXPECT_FALSE(s.printButton()->isEnabled());
        const QStringList errors = ui.texts("error");
        ASSERT_EQ(errors.size(), 1);
        EXPECT_TRUE(errors[0].startsWith("변경 이력을 읽을 수 없습니다.")) << errors[0].toStdString();
        EXPECT_EQ(s.statusLine()->text(), errors[0]);
    }
}

TEST_F(ChangeRecordScreen, AnInstitutionListThatDoesNotReadIsSaidAndTheRecordStillReads)
{
    QSqlQuery q(dm->db());
    ASSERT_TRUE(q.exec("ALTER TABLE UserCode RENAME TO UserCodeAside"));
    TfmChangeRecord s(dm->db(), ui, workspace());
    EXPECT_EQ(ui.texts("error"),
              QStringList{"기관 목록을 읽지 못했습니다. 기관코드는 직접 입력하십시오."});
    EXPECT_TRUE(s.FormActivate());
    EXPECT_EQ(s.grid()->rowCount(), 3);
    ASSERT_TRUE(q.exec("ALTER TABLE UserCodeAside RENAME TO UserCode"));
}

TEST_F(ChangeRecordScreen, TheReminderComesOncePerMonthWithLastMonthsCounts)
{
    std::vector<std::pair<QDate, QDate>> opened;
    const auto open = [&](const QDate& from, const QDate& to) { opened.emplace_back(from, to); };

    // March's first start: February's one change, and the screen on February.
    ui.answerConfirm(true);
    EXPECT_TRUE(audit::RemindMonthlyCheck(dm->db(), ui, workspace(), open));
    ASSERT_EQ(ui.texts("confirm").size(), 1);
    EXPECT_TRUE(ui.texts("confirm")[0].startsWith(
        "월간 점검: 지난달(2024-02) 변경 이력은 변경 1건, 내려받기 0건입니다."))
        << ui.texts("confirm")[0].toStdString();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], std::make_pair(QDate(2024, 2, 1), QDate(2024, 2, 29)));
    EXPECT_EQ(shell::ReadLastAuditCheck(workspace()), "2024-03");

    // Again in March: nothing.
    ui.clear();
    shell::FreezeNow(QDateTime(QDate(2024, 3, 31), QTime(23, 59)));
    EXPECT_FALSE(audit::RemindMonthlyCheck(dm->db(), ui, workspace(), open));
    EXPECT_TRUE(ui.messages().isEmpty());

    // April: March's two changes and its download; declined, nothing opens.
    shell::FreezeNow(QDateTime(QDate(2024, 4, 1), QTime(8, 0)));
    ui.answerConfirm(false);
    EXPECT_TRUE(audit::RemindMonthlyCheck(dm->db(), ui, workspace(), open));
    ASSERT_EQ(ui.texts("confirm").size(), 1);
    EXPECT_TRUE(ui.texts("confirm")[0].startsWith(
        "월간 점검: 지난달(2024-03) 변경 이력은 변경 2건, 내려받기 1건입니다."))
        << ui.texts("confirm")[0].toStdString();
    EXPECT_EQ(opened.size(), 1u);

    // A count that fails is said, and May asks again at its next start:
    // April had nothing, so nothing is asked.
    shell::FreezeNow(QDateTime(QDate(2024, 5, 2), QTime(8, 0)));
    QSqlQuery q(dm->db());
    ASSERT_TRUE(q.exec("DETACH DATABASE audit"));
    ui.clear();
    EXPECT_TRUE(audit::RemindMonthlyCheck(dm->db(), ui, workspace(), open));
    ASSERT_EQ(ui.texts("error").size(), 1);
    EXPECT_TRUE(ui.texts("error")[0].startsWith("지난달(2024-04) 변경 이력을 셀 수 없습니다."));
    EXPECT_EQ(shell::ReadLastAuditCheck(workspace()), "2024-04");
    dm->Close();
    ASSERT_TRUE(dm->Connect(workspace().dataDir));
    ui.clear();
    EXPECT_FALSE(audit::RemindMonthlyCheck(dm->db(), ui, workspace(), open));
    EXPECT_TRUE(ui.messages().isEmpty());
    EXPECT_EQ(shell::ReadLastAuditCheck(workspace()), "2024-05");
}

TEST_F(ChangeRecordScreen, ThePrintHasEveryEntryWithItsValues)
{
    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
        GTEST_SKIP() << "pdftotext comes with scripts/setup";
    TfmChangeRecord s(dm->db(), ui, workspace());
    ASSERT_TRUE(s.FormActivate());
    const QString pdf = path("record.pdf");
    {
        QPdfWriter writer(pdf);
        reports::PaintChangeRecord(&writer, "변경 이력 조회 2024-03-01 ~ 2024-03-31", s.entries());
    }
    QProcess text;
    text.start("pdftotext", {"-enc", "UTF-8", "-layout", pdf, "-"});
    ASSERT_TRUE(text.waitForFinished(30000));
    const QString printed = QString::fromUtf8(text.readAllStandardOutput());
    for (const char* expected : {"변경 이력 조회 2024-03-01 ~ 2024-03-31", "2024-03-10 09:00:00",
                                 "상태변경", "BizCalendar", "2024-03-25 지점", "pelmar-tool",
                                 "State", "내보내기", "3건", "[끝]"})
        EXPECT_TRUE(printed.contains(QString::fromUtf8(expected))) << expected << "\n"
                                                                   << printed.toStdString();
}

} // namespace
