// The consent screens: toolbar states, the selection count, select-all,
// the key dialog's configuration on cancel, the evidence screen's kinds.

#include "consent/evidence_transfer.h"
#include "consent/ui/fm_evidential_authkey.h"
#include "consent/ui/fm_evidential_file.h"
#include "consent/ui/fm_find_register.h"
#include "consent/ui/tfm_tong_register.h"
#include "tests/support/data_fixture.h"
#include "tests/support/qt_app.h"
#include "transfer/ui/tfm_catc_apt.h"
#include "transfer/ui/tfm_catc_preview.h"
#include "widgets/screen_commands.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableWidget>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

using C = widgets::ScreenCommands;

class ConsentScreens : public testing_support::DataTest
{
protected:
    void SetUp() override
    {
        testing_support::QtApp();
        DataTest::SetUp();
        addInstitution(QStringLiteral("면제단지"), "A000000001", "AB100", "AB200",
                       "301-0123-4567-81", QStringLiteral("면제"));
        addConsent("A000000001", "11", "1234567890123", "1", 0, "800101");
        addConsent("A000000001", "11", "1234567890123", "2", 5, "800101");
        addConsent("A000000001", "11", "1234567890123", "3", 2, "800101");
    }
};

TEST_F(ConsentScreens, RegisterToolbarCountsAndSelection)
{
    consent::TfmTongRegister screen(db(), ui, workspace());
    EXPECT_TRUE(screen.importAction()->isEnabled());
    EXPECT_TRUE(screen.searchAction()->isEnabled());
    EXPECT_TRUE(screen.exportAction()->isEnabled());
    EXPECT_TRUE(screen.sortAction(0)->isChecked());
    EXPECT_EQ(screen.allCheck()->text(), QStringLiteral("전체(3)"));
    EXPECT_EQ(screen.statusRadio(5)->text(), QStringLiteral("해지  중(1)"));
    EXPECT_EQ(screen.selectionLabel()->text(), QStringLiteral("선택갯수:[0]/[3]"));

    // Select-all compares with the rows shown, not with the current row.
    screen.grid()->setCurrentCell(2, 0, QItemSelectionModel::NoUpdate);
    screen.grid()->selectRow(0);
    screen.BtnSelectAllClick();
    EXPECT_EQ(screen.selectionLabel()->text(), QStringLiteral("선택갯수:[3]/[3]"));
    screen.BtnSelectAllClick();
    EXPECT_EQ(screen.selectionLabel()->text(), QStringLiteral("선택갯수:[0]/[3]"));

    // A selection holding a consent at the bank refuses a new entry.
    screen.grid()->selectRow(1);
    screen.BtnInsertClick();
    EXPECT_TRUE(ui.saw("plain", QStringLiteral("홍길동:상태가 '등록중/해지중' 데이타 입니다.")));
    EXPECT_FALSE(screen.commands()->editing());

    screen.FilterStatus(store::ConsentStatus::RegisterWaiting);
    EXPECT_EQ(screen.rows().size(), 1);
    EXPECT_FALSE(screen.allCheck()->isChecked());
    screen.FilterStatus(std::nullopt);
    EXPECT_EQ(screen.rows().size(), 3);

    // A sort choice stays checked and orders the rows by status.
    screen.sortAction(1)->trigger();
    EXPECT_TRUE(screen.sortAction(1)->isChecked());
    EXPECT_FALSE(screen.sortAction(0)->isChecked());
    QStringList payers;
    for (const consent::ConsentRecord& r : screen.rows())
        payers.append(r.NapbuNO);
    EXPECT_EQ(payers, (QStringList{"1", "3", "2"}));
}

TEST_F(ConsentScreens, RegisterEntryAndContinuousMode)
{
    consent::TfmTongRegister screen(db(), ui, workspace());
    screen.continuousAction()->setChecked(true);
    EXPECT_EQ(screen.continuousAction()->text(), QStringLiteral("연속입력"));
    screen.grid()->clearSelection();
    screen.BtnInsertClick();
    ASSERT_TRUE(screen.commands()->editing());
    EXPECT_FALSE(screen.commands()->action(C::Close)->isEnabled());
    screen.bankCodeEdit()->setText("11");
    screen.accountEdit()->setText("1112223334445");
    screen.nameEdit()->setText(QStringLiteral("김영수"));
    screen.institutionBox()->setCurrentIndex(1);
    emit screen.institutionBox()->activated(1);
    screen.juminEdit()->setText("800101");
    screen.payerEdit()->setText("Q7");
    screen.BtnSaveClick();
    EXPECT_EQ(
        value("SELECT COUNT(*) FROM TongRegister WHERE NapbuNO = 'Q7' AND Status = 0").toInt(), 1);
    EXPECT_TRUE(screen.commands()->editing()); // the next entry has begun
    screen.BtnCancelClick();
    EXPECT_FALSE(screen.commands()->editing());
    EXPECT_EQ(screen.rows().size(), 4);
}

TEST_F(ConsentScreens, KeyDialogCancelKeepsTheStoredKeyInTheConfiguration)
{
    exec("INSERT INTO EvidentialAuthKey (SendId, AuthKey) VALUES ('BR0001', 'OLDKEY')");
    {
        consent::fmEvidentialAuthkey dialog(db(), ui, workspace());
        EXPECT_EQ(dialog.keyEdit()->text(), "OLDKEY");
        dialog.keyEdit()->setText("NEWKEY");
        dialog.reject();
    }
    EXPECT_TRUE(readFile("conf/org.conf").endsWith("BR0001=OLDKEY\r\n"));
    EXPECT_EQ(value("SELECT AuthKey FROM EvidentialAuthKey").toString(), "OLDKEY");
    {
        consent::fmEvidentialAuthkey dialog(db(), ui, workspace());
        dialog.keyEdit()->setText("newkey");
        dialog.BtnOkClick();
    }
    EXPECT_TRUE(readFile("conf/org.conf").endsWith("BR0001=NEWKEY\r\n"));
    EXPECT_EQ(value("SELECT AuthKey FROM EvidentialAuthKey").toString(), "NEWKEY");

    // A table error is shown, when the dialog opens and when it saves, and
    // the dialog stays open.
    exec("DROP TABLE EvidentialAuthKey");
    consent::fmEvidentialAuthkey dialog(db(), ui, workspace());
    EXPECT_EQ(ui.texts("error").size(), 1);
    dialog.sendIdEdit()->setText("BR0001");
    dialog.keyEdit()->setText("K");
    dialog.BtnOkClick();
    EXPECT_EQ(ui.texts("error").size(), 2);
    EXPECT_EQ(dialog.result(), 0);
}

TEST_F(ConsentScreens, EvidenceScreenMarksChangedKinds)
{
    consent::fmEvidentialFile screen(db(), ui, workspace());
    screen.BtnQueryClick();
    ASSERT_EQ(screen.rows().size(), 3);
    screen.AttachFile(0);
    EXPECT_TRUE(ui.saw("plain", QStringLiteral("파일 등록 전에 종류를 선택 하여야 합니다.")));
    screen.SetKind(0, QStringLiteral("녹취"));
    EXPECT_EQ(screen.grid()->item(0, consent::fmEvidentialFile::ColKind)->text(),
              QStringLiteral("녹취"));
    EXPECT_EQ(screen.grid()->item(0, consent::fmEvidentialFile::ColChanged)->text(), "1");
    EXPECT_EQ(screen.grid()->item(0, consent::fmEvidentialFile::ColSendState)->text(),
              QStringLiteral("전송전"));
    screen.BtnSaveClick();
    EXPECT_EQ(dump("SELECT CMSSERIALNO, AUTHTYPE, AUTHFILE, SENDSTATE FROM Evidential"), "1|4||0");
}

// A new scan replaces the stored file: the bank holds only the old one, so
// the record is "전송전" again; choosing only another kind keeps "사용전".
TEST_F(ConsentScreens, ANewEvidenceFileIsNotSentYet)
{
    for (const char* payer : {"2", "3"})
        exec("INSERT INTO Evidential (BANKCD, CUSTNO, CMSSERIALNO, ACCTNO, AUTHTYPE, AUTHFILE, "
             "SENDSTATE, SENDDATE) VALUES ('11', 'A000000001', ?, '1234567890123', '1', ?, '1', "
             "'20240314')",
             {payer, QString("A000000001_%1.jpg").arg(payer)});
    writeFile("AUTHFILE/A000000001_2.jpg", "old scan");
    writeFile("AUTHFILE/A000000001_3.jpg", "kept scan");
    writeFile("in/new.jpg", "new scan");
    consent::fmEvidentialFile screen(db(), ui, workspace());
    screen.show();
    screen.BtnQueryClick();
    ASSERT_EQ(screen.rows().size(), 3);
    using F = consent::fmEvidentialFile;
    EXPECT_EQ(screen.grid()->item(1, F::ColSendState)->text(), QStringLiteral("사용전"));
    ui.answerChooser(path("in/new.jpg"));
    screen.AttachFile(1);
    screen.SetKind(2, QStringLiteral("일반인증"));
    screen.BtnSaveClick();
    EXPECT_EQ(readFile("AUTHFILE/A000000001_2.jpg"), "new scan");
    EXPECT_EQ(dump("SELECT CMSSERIALNO, AUTHTYPE, SENDSTATE, SENDDATE FROM Evidential "
                   "ORDER BY CMSSERIALNO"),
              "2|1|0|\n3|3|1|20240314");
    EXPECT_EQ(screen.grid()->item(1, F::ColSendState)->text(), QStringLiteral("전송전"));
    EXPECT_EQ(screen.grid()->item(2, F::ColSendState)->text(), QStringLiteral("사용전"));
}

} // namespace

namespace {

// Runs `inside` on the next modal dialog once it shows.
void onNextDialog(std::function<void(QDialog*)> inside)
{
    QTimer::singleShot(0, [inside] {
        auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_TRUE(d) << "no dialog opened";
        inside(d);
    });
}

} // namespace

TEST_F(ConsentScreens, SearchAndSpreadsheetImport)
{
    consent::TfmTongRegister screen(db(), ui, workspace());
    screen.show();
    onNextDialog([&](QDialog* d) {
        auto* find = qobject_cast<consent::FmFindRegister*>(d);
        ASSERT_TRUE(find);
        find->field(3)->setText("2");
        find->BtnFirstClick();
        find->BtnNextClick();
        find->reject();
    });
    screen.BtnFindClick();
    EXPECT_EQ(ui.texts("info").last(), "더이상 조건에 해당하는 자료가 없습니다.");

    writeFile("in.csv", "이름,기관업체코드,은행코드,계좌번호,납부자번호,실명번호\r\n"
                        "홍길동,A000000001,13,123-456-7890,p7,800101\r\n");
    ui.answerChooser(path("in.csv"));
    bool previewShown = false;
    onNextDialog([&](QDialog* d) {
        auto* layouts = qobject_cast<transfer::TfmCatcApt*>(d);
        ASSERT_TRUE(layouts);
        EXPECT_EQ(layouts->windowTitle(), "출금동의신청-일괄등록");
        onNextDialog([&](QDialog* p) {
            auto* preview = qobject_cast<transfer::TfmCatcPreview*>(p);
            ASSERT_TRUE(preview);
            previewShown = true;
            EXPECT_EQ(preview->statusLine()->text(), " 전체=[1],오류=[0]");
            preview->accept();
        });
        layouts->ChooseFileClick();
    });
    screen.ImportClick();
    EXPECT_TRUE(previewShown);
    EXPECT_EQ(ui.texts("info").last(), "1 건의 자료가 변환되었습니다.");
    EXPECT_EQ(
        value("SELECT Bankcd || DisplayBankno FROM TongRegister WHERE NapbuNO = 'P7'").toString(),
        "1200001234567890");
    EXPECT_EQ(ui.texts("open").size(), 1); // the report in the text editor
}
