#include "codes/bank_code.h"
#include "codes/institution.h"
#include "codes/ui/fm_code_bank.h"
#include "codes/ui/tfm_code1.h"
#include "shell/workspace.h"
#include "store/account_numbers.h"
#include "store/tdm1.h"
#include "tests/support/qt_app.h"
#include "tests/support/workspace_fixture.h"
#include "widgets/screen_commands.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QSqlQuery>
#include <QTableWidget>
#include <gtest/gtest.h>

using namespace codes;
using Command = widgets::ScreenCommands::Command;

class Codes : public testing_support::WorkspaceTest
{
protected:
    void SetUp() override
    {
        WorkspaceTest::SetUp();
        testing_support::QtApp();
        store::ReloadAccountRules();
        dm = std::make_unique<store::TDM1>(ui, workspace());
        ASSERT_TRUE(dm->PrepareDatabase(workspace().dataDir));
        ASSERT_TRUE(dm->OpenTables());
    }
    void TearDown() override
    {
        dm.reset();
        WorkspaceTest::TearDown();
    }
    void exec(const QString& sql)
    {
        QSqlQuery q(dm->db());
        ASSERT_TRUE(q.exec(sql)) << sql.toStdString();
    }
    static Institution valid()
    {
        Institution r;
        r.Name = QStringLiteral("푸른마을아파트");
        r.APOUT = "AB100";
        r.APIN = "AB200";
        r.APPASS = "secret1";
        r.APID10 = "A123456789";
        r.APBCODE = "1234567";
        r.BankNoApt = "3011234567891";
        r.AUTHSENDTYPE = QStringLiteral("제출");
        return r;
    }

    std::unique_ptr<store::TDM1> dm;
};

TEST_F(Codes, InstitutionChecksInOrderWithFocus)
{
    Institutions inst(dm->db(), ui);
    using F = InstitutionField;
    struct Case
    {
        std::function<void(Institution&)> spoil;
        QString message;
        F focus;
    } cases[] = {
        {[](Institution& r) { r.Name = "  "; r.APOUT = ""; }, "기관명칭 항목이 누락되었습니다.", F::Name},
        {[](Institution& r) { r.APOUT = "AB1"; r.APIN = ""; }, "송신화일정보를 정확히 입력하세요.", F::APOUT},
        {[](Institution& r) { r.APIN = "AB2000"; }, "수신화일정보를 정확히 입력하세요.", F::APIN},
        {[](Institution& r) { r.APBCODE = "123456"; r.APID10 = ""; }, "거래은행 ID를 정확히 입력하세요.", F::APBCODE},
        {[](Institution& r) { r.APID10 = " "; }, "Veltrin 기관코드 항목이 누락되었습니다.", F::APID10},
        {[](Institution& r) { r.APPASS = ""; }, "Veltrin 비밀번호 항목이 누락되었습니다.", F::APPASS},
    };
    for (const Case& c : cases) {
        ui.clear();
        Institution r = valid();
        c.spoil(r);
        const InstitutionSave s = inst.Save(r, true);
        EXPECT_FALSE(s.saved);
        EXPECT_EQ(s.focus, c.focus) << c.message.toStdString();
        EXPECT_EQ(ui.texts("info"), QStringList{c.message});
    }
    EXPECT_TRUE(inst.List()->isEmpty());
}

TEST_F(Codes, InstitutionSaveStoresLogsAndGuardsDuplicates)
{
    Institutions inst(dm->db(), ui);
    Institution a = valid();
    a.TREGISTERIN = "OLD01";
    ASSERT_TRUE(inst.Save(a, true).saved);
    EXPECT_EQ(a.BankNoApt, "301-1234-5678-91");
    EXPECT_EQ(a.TREGISTERIN, "NA200");
    const QByteArray logged = readFile("202403.log");
    EXPECT_TRUE(logged.contains(", ApPass ****, ApBCode 1234567, BankNoApt 301-1234-5678-91"));
    EXPECT_FALSE(logged.contains("secret1"));

    // Same code, other name: saved only when the user says so.
    Institution b = valid();
    b.Name = QStringLiteral("햇살아파트");
    ui.answerConfirm(false);
    EXPECT_EQ(inst.Save(b, true).focus, InstitutionField::APID10);
    ui.answerConfirm(true);
    EXPECT_TRUE(inst.Save(b, true).saved);
    EXPECT_EQ(inst.List()->size(), 2);

    // Same name: refused by the key.
    Institution c = valid();
    c.APID10 = "B000000001";
    ui.clear();
    const InstitutionSave dup = inst.Save(c, true);
    EXPECT_FALSE(dup.saved);
    EXPECT_EQ(dup.focus, InstitutionField::Name);
    EXPECT_EQ(ui.texts("info"), QStringList{QStringLiteral("기관명칭이 중복됩니다.")});

    // An account the library cannot show hyphenated is kept as entered.
    Institution d = valid();
    d.Name = "D";
    d.APID10 = "D1";
    d.BankNoApt = "12 34";
    ASSERT_TRUE(inst.Save(d, true).saved);
    EXPECT_EQ(inst.FindByCode("D1").value()->BankNoApt, "1234");
}

TEST_F(Codes, InstitutionInUseIsAskedBeforeChange)
{
    Institutions inst(dm->db(), ui);
    Institution a = valid();
    ASSERT_TRUE(inst.Save(a, true).saved);
    Institution empty = a;
    empty.APID10.clear();
    EXPECT_TRUE(inst.ConfirmInUse(empty)); // never asks
    EXPECT_TRUE(inst.ConfirmInUse(a));     // no batches yet
    exec("INSERT INTO Apt1 (AptID, GiganID10) VALUES (1, 'A123456789')");
    ui.answerConfirm(false);
    EXPECT_FALSE(inst.Delete(a, 0));
    EXPECT_TRUE(ui.texts("confirm")[0].startsWith(QStringLiteral("Veltrin 기관코드로 작성된 자료가 있습니다.")));
    ui.answerConfirm(true);
    ui.answerConfirm(true);
    EXPECT_TRUE(inst.Delete(a, 0));
    EXPECT_EQ(ui.texts("confirm").last(), QStringLiteral("선택된 1 개의 자료를 삭제하시겠습니까?"));
    EXPECT_TRUE(inst.List()->isEmpty());
    EXPECT_TRUE(readFile("202403.log").contains(", ApPass ****"));
}

TEST_F(Codes, BankCodeRules)
{
    BankCodes banks(dm->db(), ui, QStringLiteral("은행 코드 설정"));
    BankCodeEntry e{"6", QStringLiteral("새은행"), false, false, "0"};
    ASSERT_TRUE(banks.Save(e, {}).saved);
    EXPECT_EQ(e.Id, "06");
    EXPECT_TRUE(readFile("202403.log").contains(", ID 06, Name "));

    const int before = banks.Count();
    BankCodeEntry dup{"06", "X", false, false, "0"};
    EXPECT_EQ(banks.Save(dup, {}).focus, BankField::Id);
    EXPECT_EQ(ui.texts("info").last(), QStringLiteral("코드가 중복됩니다.\r\r다른 코드를 사용하십시오."));

    BankCodeEntry sym{"08", "A-B C", false, false, "0"};
    EXPECT_EQ(banks.Save(sym, {}).focus, BankField::Name);
    EXPECT_EQ(ui.texts("plain").last(),
              QStringLiteral("코드명에 기호나 특수문자를 사용할수 없습니다.\r\"- \"과 같은 문자는 사용할수 "
                             "없습니다. 은행에서 처리가 되지 않습니다"));
    EXPECT_EQ(BankCodes::FilterName(QStringLiteral("A-B C가")).toStdString(), QStringLiteral("ABC가").toStdString());

    BankCodeEntry jumin{"09", "J", false, true, "1"};
    EXPECT_EQ(banks.Save(jumin, {}).focus, BankField::JuminCheck);
    BankCodeEntry version{"09", "V", true, true, "7"};
    EXPECT_EQ(banks.Save(version, {}).focus, BankField::SendVersion);
    EXPECT_EQ(ui.texts("plain").last(), QStringLiteral("은행송신전문 선택하세요 "));
    EXPECT_EQ(banks.Count(), before);

    // Three selected rows: asked about three, one log line for the current.
    for (const char* id : {"91", "92", "93"}) {
        BankCodeEntry r{id, "N", false, false, "0"};
        ASSERT_TRUE(banks.Save(r, {}).saved);
    }
    ui.answerConfirm(true);
    ui.answerConfirm(true);
    const int lines = int(readFile("202403.log").count('\n'));
    ASSERT_TRUE(banks.Delete({"92", "N", false, false, "0"}, {"91", "92", "93"}));
    EXPECT_EQ(ui.texts("confirm").last(), QStringLiteral("선택된 3 개의 자료를 삭제하시겠습니까?"));
    EXPECT_EQ(int(readFile("202403.log").count('\n')), lines + 1);
    EXPECT_EQ(banks.Count(), before + 0);
}

TEST_F(Codes, BankCodeLimitOf99)
{
    BankCodes banks(dm->db(), ui, "t");
    exec("DELETE FROM BankCode");
    for (int i = 1; i <= 98; ++i)
        exec(QString("INSERT INTO BankCode (Id, Name) VALUES ('%1', 'b')").arg(i, 2, 10, QChar('0')));
    EXPECT_TRUE(banks.MayInsert());
    exec("INSERT INTO BankCode (Id, Name) VALUES ('99', 'b')");
    EXPECT_FALSE(banks.MayInsert());
    EXPECT_EQ(ui.texts("info"), QStringList{QStringLiteral("코드는 99개 이상 입력할 수 없습니다.")});
}

TEST_F(Codes, InstitutionScreenEditAndViewOnly)
{
    {
        TfmCode1 screen(dm->db(), ui, QStringLiteral("이용자설정 (이용기관)"), false);
        EXPECT_TRUE(screen.commands()->action(Command::Insert)->isEnabled());
        EXPECT_FALSE(screen.commands()->action(Command::Edit)->isEnabled()); // empty table
        screen.BtnInsertClick();
        EXPECT_FALSE(screen.list()->isEnabled());
        EXPECT_TRUE(screen.commands()->action(Command::Save)->isEnabled());
        screen.field(InstitutionField::Name)->setText(QStringLiteral("푸른마을"));
        screen.field(InstitutionField::APOUT)->setText("ab100");
        screen.BtnSaveClick(); // APIN missing
        EXPECT_EQ(ui.texts("info").last(), QStringLiteral("수신화일정보를 정확히 입력하세요."));
        EXPECT_TRUE(screen.commands()->editing());
        const Institution v = valid();
        screen.field(InstitutionField::APIN)->setText(v.APIN);
        screen.field(InstitutionField::APBCODE)->setText(v.APBCODE);
        screen.field(InstitutionField::APID10)->setText(v.APID10);
        screen.field(InstitutionField::APPASS)->setText(v.APPASS);
        screen.BtnSaveClick();
        EXPECT_FALSE(screen.commands()->editing());
        ASSERT_EQ(screen.list()->rowCount(), 1);
        EXPECT_EQ(screen.list()->item(0, 1)->text(), v.APID10);
        EXPECT_TRUE(screen.commands()->action(Command::Edit)->isEnabled());
    }
    Institutions inst(dm->db(), ui);
    EXPECT_EQ(inst.FindByCode("A123456789").value()->APOUT, "AB100");

    TfmCode1 view(dm->db(), ui, QStringLiteral("이용자설정 (이용기관) 보기"), true);
    EXPECT_EQ(view.windowTitle(), QStringLiteral("이용자설정 (이용기관) 보기"));
    for (Command c : {Command::Insert, Command::Edit, Command::Delete, Command::Save, Command::Cancel})
        EXPECT_FALSE(view.commands()->action(c)->isEnabled()) << c;
    EXPECT_TRUE(view.commands()->action(Command::Close)->isEnabled());
    view.BtnInsertClick();
    EXPECT_FALSE(view.commands()->editing());
}

TEST_F(Codes, BankScreenShowsSwitchesAndCodeListsStayReadOnly)
{
    fmCode_Bank screen(dm->db(), ui, QStringLiteral("은행 코드 설정"), false);
    ASSERT_GT(screen.grid()->rowCount(), 5);
    int row12 = -1;
    for (int i = 0; i < screen.grid()->rowCount(); ++i)
        if (screen.grid()->item(i, 0)->text() == "12")
            row12 = i;
    ASSERT_GE(row12, 0);
    screen.grid()->setCurrentCell(row12, 0);
    EXPECT_EQ(screen.grid()->item(row12, 2)->text(), QStringLiteral("전금법후(1)"));
    EXPECT_EQ(screen.grid()->item(row12, 3)->text(), QStringLiteral("적용"));
    EXPECT_EQ(screen.sendVersion()->currentIndex(), 1);
    EXPECT_FALSE(screen.sendVersion()->isEnabled());
    EXPECT_TRUE(screen.juminCheck()->isChecked());
    EXPECT_FALSE(screen.juminCheck()->isEnabled());

    ui.answerConfirm(true);
    screen.BtnEditClick();
    ASSERT_TRUE(screen.commands()->editing());
    screen.nameEdit()->clear();
    screen.nameEdit()->insert(QStringLiteral("Tervo 회원-조합"));
    EXPECT_EQ(screen.nameEdit()->text(), QStringLiteral("Tervo회원조합"));
    screen.BtnSaveClick();
    EXPECT_FALSE(screen.commands()->editing());
    EXPECT_TRUE(screen.changed());

    for (int selector : {16, 21}) {
        fmCode2 list(dm->db(), ui, selector, "t");
        EXPECT_GT(list.grid()->rowCount(), 2);
        for (Command c : {Command::Insert, Command::Edit, Command::Delete, Command::Save})
            EXPECT_FALSE(list.commands()->action(c)->isEnabled());
    }
}

TEST_F(Codes, BankScreenFocusesTheFieldAFailedSaveNames)
{
    struct Case
    {
        const char* code;
        const char* name;
        QLineEdit* (fmCode_Bank::*focused)() const;
    };
    const Case cases[] = {
        {"", "새은행", &fmCode_Bank::codeEdit},
        {"77", "", &fmCode_Bank::nameEdit},
    };
    for (const Case& c : cases) {
        fmCode_Bank screen(dm->db(), ui, QStringLiteral("은행 코드 설정"), false);
        screen.BtnInsertClick();
        screen.codeEdit()->setText(c.code);
        screen.nameEdit()->setText(QString::fromUtf8(c.name));
        screen.BtnSaveClick();
        EXPECT_TRUE(screen.commands()->editing()) << c.code;
        EXPECT_EQ(screen.focusWidget(), (screen.*c.focused)()) << c.code;
    }
}
