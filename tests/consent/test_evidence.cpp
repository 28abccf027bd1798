// Evidence files and their transmission: attaching, the stored names, the
// transfer file byte for byte (read back here by positions, not by the
// writer), the configuration files and the uploads through the stand-in.

#include "consent/evidence_files.h"
#include "consent/evidence_rules.h"
#include "consent/evidence_transfer.h"
#include "edi/fixed_record.h"
#include "platform/securelink.h"
#include "shell/envelope_line.h"
#include "shell/workspace.h"
#include "tests/support/data_fixture.h"
#include "tests/support/folder_watch.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

using consent::ConsentKey;

// Counts the uploads and answers what it is told.
class FakeUploader : public platform::SecureUploader
{
public:
    QString Upload(const QString&, const QString& sendId, const QString& filePath) override
    {
        files.append(filePath);
        ids.append(sendId);
        return answers.isEmpty() ? QStringLiteral("0000") : answers.takeFirst();
    }
    QStringList answers;
    QStringList files;
    QStringList ids;
};

class Evidence : public testing_support::DataTest
{
protected:
    void SetUp() override
    {
        DataTest::SetUp();
        addInstitution(QStringLiteral("제출단지"), "B000000002", "BB100", "BB200");
        addInstitution(QStringLiteral("일부단지"), "C000000003", "CB100", "CB200",
                       "301-0123-4567-81", QStringLiteral("일부면제"));
        addInstitution(QStringLiteral("면제단지"), "A000000001", "AB100", "AB200",
                       "301-0123-4567-81", QStringLiteral("면제"));
        exec("INSERT INTO EvidentialAuthKey (SendId, AuthKey) VALUES ('BR0001', 'KEY1')");
        ASSERT_TRUE(consent::WriteSecureClientConfig(home(), {"BR0001", "KEY1"}));
    }

    void addEvidence(const QString& code, const QString& bank, const QString& payer,
                     const QString& account, const QString& kind, const QString& file,
                     const QString& state = "0", const QString& date = {})
    {
        exec("INSERT INTO Evidential (BANKCD, CUSTNO, CMSSERIALNO, ACCTNO, AUTHTYPE, AUTHFILE, "
             "SENDSTATE, SENDDATE) VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
             {bank, code, payer, account, kind, file, state, date});
    }

    bool send(platform::SecureUploader& up, const QList<ConsentKey>& keys,
              const QString& library = {})
    {
        const QString lib =
            library.isEmpty() ? consent::DefaultSecurelinkPath(workspace()) : library;
        return consent::SendEvidence(db(), ui, up, {home(), lib}, keys);
    }

    QString sent()
    {
        return dump("SELECT CMSSERIALNO, SENDSTATE, SENDDATE FROM Evidential ORDER BY CMSSERIALNO");
    }
};

TEST(EvidencePadding, BlockBoundaries)
{
    const std::pair<qint64, int> cases[] = {{0, 624},  {1, 623},     {624, 0},   {625, 1023},
                                            {1648, 0}, {1649, 1023}, {5120, 624}};
    for (const auto& [n, p] : cases) {
        EXPECT_EQ(consent::EvidencePadding(n), p) << n;
        EXPECT_EQ((400 + n + p) % 1024, 0) << n;
    }
}

TEST(EvidenceTexts, SendStateAndClasses)
{
    const QDateTime now(QDate(2024, 3, 15), QTime(10, 30));
    struct Case
    {
        const char* state;
        const char* date;
        const char* text;
    };
    const Case cases[] = {
        {"", "20240315", "전송전"},  {"0", "20240315", "전송전"}, {"1", "20240315", "사용전"},
        {"2", "20240310", "사용후"}, {"1", "20240307", "전송전"}, {"2", "", "전송전"},
        {"1", "20240308", "전송전"}, {"1", "20240309", "사용전"}, {"9", "20240315", ""}};
    for (const Case& c : cases)
        EXPECT_EQ(consent::SendStateText(c.state, c.date, now), QString::fromUtf8(c.text))
            << c.state << c.date;
    EXPECT_EQ(consent::SubmissionClass(QStringLiteral("제출")), "0");
    EXPECT_EQ(consent::SubmissionClass(QStringLiteral(" 일부면제 ")), "1");
    EXPECT_EQ(consent::SubmissionClass(QStringLiteral("면제")), "2");
    EXPECT_EQ(consent::SubmissionClass(QString()), "0");
}

// Reads a transfer file by the positions of its layout.
TEST(EvidenceTransferFile, ByteLayout)
{
    consent::EvidenceItem withFile{"1234567890",        "12-34", "11", "123-4567", "1", "jpg",
                                   QByteArray(625, 'x')};
    consent::EvidenceItem small{"800101", "5678", "4", "99", "2", "der", QByteArray(624, 'y')};
    const QByteArray f = *consent::EvidenceTransferBytes("B000000002", QDate(2024, 3, 15),
                                                         " BR0001 ", "0", {withFile, small});
    ASSERT_EQ(f.size(), 1024 + 2048 + 1024 + 1024);
    const auto at = [&f](int pos, int len) { return f.mid(pos - 1, len); };
    EXPECT_EQ(at(1, 81), "HFB0110VQZB000000002          20240315BR0001                        "
                         "0110000000002");
    EXPECT_EQ(at(82, 943), QByteArray(943, ' '));
    const int d1 = 1025;
    const auto rec = [&](int base, int pos, int len) { return f.mid(base + pos - 2, len); };
    EXPECT_EQ(rec(d1, 1, 11), "D0000000001");
    EXPECT_EQ(rec(d1, 12, 30), QByteArray(30, ' '));
    EXPECT_EQ(rec(d1, 42, 22), "2024031511234567890   ");
    EXPECT_EQ(rec(d1, 64, 21), "B000000002          N");
    EXPECT_EQ(rec(d1, 95, 30), QByteArray("1234").leftJustified(30));
    EXPECT_EQ(rec(d1, 125, 23), QByteArray("0111234567").leftJustified(23));
    EXPECT_EQ(rec(d1, 148, 12), "1jpg 0000625");
    EXPECT_EQ(rec(d1, 160, 241), QByteArray(241, ' '));
    EXPECT_EQ(rec(d1, 401, 625), QByteArray(625, 'x'));
    EXPECT_EQ(rec(d1, 1026, 1023), QByteArray(1023, ' '));
    const int d2 = d1 + 2048;
    EXPECT_EQ(rec(d2, 1, 11), "D0000000002");
    EXPECT_EQ(rec(d2, 50, 14), "0800101       ");
    EXPECT_EQ(rec(d2, 125, 3), "004");
    EXPECT_EQ(rec(d2, 148, 12), "2der 0000624");
    EXPECT_EQ(rec(d2, 401, 624), QByteArray(624, 'y'));
    const int t = d2 + 1024;
    EXPECT_EQ(rec(t, 1, 17), "TFB01100000000002");
    EXPECT_EQ(rec(t, 18, 1007), QByteArray(1007, ' '));

    // Class "1": no content, size zeros, one block per record.
    const QByteArray p = *consent::EvidenceTransferBytes("C000000003", QDate(2024, 3, 15), "BR0001",
                                                         "1", {withFile});
    ASSERT_EQ(p.size(), 3 * 1024);
    EXPECT_EQ(p.mid(1024 + 147, 12), "1    0000000");
    EXPECT_EQ(p.mid(1024 + 159, 865), QByteArray(865, ' '));
}

TEST_F(Evidence, AttachChecksKindSizeAndExtension)
{
    addConsent("B000000002", "11", "1234567890123", "101", 0, "800101");
    consent::EvidenceFiles files(db(), ui, workspace());
    ASSERT_TRUE(files.Open());
    QList<consent::EvidenceRow> rows =
        files.Query({}, consent::EvidenceFilter::All, consent::EvidenceSearch::Name, {});
    ASSERT_EQ(rows.size(), 1);
    writeFile("in/cert.der", QByteArray(5121, 'c'));
    writeFile("in/cert2.der", QByteArray(5120, 'c'));
    writeFile("in/big.jpg", QByteArray(307200, 'j'));
    writeFile("in/empty.jpg", {});
    writeFile("in/note.txt", "x");
    struct Case
    {
        const char* kind;
        const char* file;
        bool ok;
        const char* message;
    };
    const Case cases[] = {
        {"", "in/big.jpg", false, "파일 등록 전에 종류를 선택 하여야 합니다."},
        {"2", "in/cert.der", false,
         "파일 사이즈가 큽니다.\r\n공인인증파일은 5K이하만 사용 가능 합니다."},
        {"2", "in/cert2.der", true, nullptr},
        {"1", "in/note.txt", false, nullptr},
        {"1", "in/empty.jpg", false, nullptr},
        {"1", "in/missing.jpg", false, nullptr},
        {"1", "in/big.jpg", true, nullptr},
        {"6", "in/note.txt", true, nullptr},
    };
    for (const Case& c : cases) {
        ui.clear();
        rows[0].AUTHTYPE = c.kind;
        rows[0].AUTHFILE.clear();
        rows[0].changed = false;
        EXPECT_EQ(files.Attach(rows, 0, path(c.file)), c.ok) << c.file;
        EXPECT_EQ(rows[0].changed, c.ok) << c.file;
        if (c.message) {
            EXPECT_EQ(ui.texts("plain"), QStringList{QString::fromUtf8(c.message)}) << c.file;
        }
    }
    EXPECT_EQ(rows[0].AUTHFILE, "B000000002_101.txt");
    EXPECT_TRUE(QFileInfo::exists(path("AUTHTEMP/B000000002_101.txt")));
}

TEST_F(Evidence, NewResidentOfTheSameUnitKeepsThePreviousFile)
{
    // The same unit (payer number) at two banks: two consents, two records.
    addConsent("B000000002", "11", "1234567890123", "0101-0203", 6, "800101");
    addConsent("B000000002", "04", "12345678901234", "0101-0203", 0, "900101");
    addEvidence("B000000002", "11", "0101-0203", "1234567890123", "1", "B000000002_0101-0203.jpg",
                "1", "20240301");
    writeFile("AUTHFILE/B000000002_0101-0203.jpg", "old resident");
    writeFile("in/new.jpg", "new resident");

    consent::EvidenceFiles files(db(), ui, workspace());
    ASSERT_TRUE(files.Open());
    QList<consent::EvidenceRow> rows =
        files.Query({}, consent::EvidenceFilter::WithoutFile, consent::EvidenceSearch::Name, {});
    ASSERT_EQ(rows.size(), 1);
    rows[0].AUTHTYPE = "1";
    ASSERT_TRUE(files.Attach(rows, 0, path("in/new.jpg")));
    EXPECT_EQ(rows[0].AUTHFILE, "B000000002_0101-0203_2.jpg");
    ASSERT_TRUE(files.Save(rows));
    EXPECT_EQ(readFile("AUTHFILE/B000000002_0101-0203.jpg"), "old resident");
    EXPECT_EQ(readFile("AUTHFILE/B000000002_0101-0203_2.jpg"), "new resident");
    EXPECT_EQ(dump("SELECT BANKCD, AUTHFILE, SENDSTATE FROM Evidential ORDER BY BANKCD"),
              "04|B000000002_0101-0203_2.jpg|0\n11|B000000002_0101-0203.jpg|1");
    EXPECT_TRUE(ui.saw("plain", QStringLiteral("증빙 자료 등록이 완료 되었습니다.")));
}

TEST_F(Evidence, ChangingTheKindKeepsTheSendState)
{
    addConsent("B000000002", "11", "1234567890123", "101", 0, "800101");
    addEvidence("B000000002", "11", "101", "1234567890123", "1", "B000000002_101.jpg", "1",
                "20240314");
    consent::EvidenceFiles files(db(), ui, workspace());
    ASSERT_TRUE(files.Open());
    QList<consent::EvidenceRow> rows = files.Query("B000000002", consent::EvidenceFilter::WithFile,
                                                   consent::EvidenceSearch::Payer, "10");
    ASSERT_EQ(rows.size(), 1);
    rows[0].AUTHTYPE = "3";
    rows[0].changed = true;
    ASSERT_TRUE(files.Save(rows));
    EXPECT_EQ(dump("SELECT AUTHTYPE, AUTHFILE, SENDSTATE, SENDDATE FROM Evidential"),
              "3|B000000002_101.jpg|1|20240314");
    EXPECT_EQ(consent::FileCheckText(workspace(), rows[0].AUTHFILE), QStringLiteral("파일없음"));
}

TEST_F(Evidence, StoredNamesLeadingOutOfTheFolderAreNeverSent)
{
    writeFile("outside.jpg", "SECRET");
    writeFile("AUTHFILE/sub/inner.jpg", "inner");
    const QString names[] = {
        "../outside.jpg", path("outside.jpg"), "sub/inner.jpg", "sub\\inner.jpg", "..", "a..b.jpg"};
    addConsent("B000000002", "11", "1234567890123", "101", 0, "800101");
    for (const QString& name : names) {
        exec("DELETE FROM Evidential");
        addEvidence("B000000002", "11", "101", "1234567890123", "1", name);
        ui.clear();
        FakeUploader up;
        EXPECT_FALSE(send(up, {{"B000000002", "11", "1234567890123", "101"}}))
            << name.toStdString();
        EXPECT_TRUE(up.files.isEmpty()) << name.toStdString();
        EXPECT_TRUE(
            ui.texts("info").value(0).startsWith(QStringLiteral("파일이 존재하지 않는 자료가")))
            << name.toStdString();
        EXPECT_EQ(consent::FileCheckText(workspace(), name), QStringLiteral("파일없음"))
            << name.toStdString();
    }
    for (const QString& f : QDir(path("AUTHTEMP")).entryList(QDir::Files))
        EXPECT_FALSE(readFile("AUTHTEMP/" + f).contains("SECRET")) << f.toStdString();
}

TEST_F(Evidence, NewNamesKeepOnlyLettersDigitsHyphenAndUnderscore)
{
    addConsent("B000000002", "11", "1234567890123", "1/../../x y", 0, "800101");
    addConsent("B000000002", "04", "12345678901234", "101", 0, "800101");
    addEvidence("B000000002", "04", "101", "12345678901234", "1", "B000000002_101.jpg", "1",
                "20240314");
    writeFile("AUTHFILE/B000000002_101.jpg", "old");
    writeFile("in/a.jpg", "new");
    consent::EvidenceFiles files(db(), ui, workspace());
    ASSERT_TRUE(files.Open());
    QList<consent::EvidenceRow> rows =
        files.Query({}, consent::EvidenceFilter::All, consent::EvidenceSearch::Name, {});
    ASSERT_EQ(rows.size(), 2);
    const int odd = rows[0].NapbuNo == "101" ? 1 : 0;
    rows[odd].AUTHTYPE = "1";
    rows[1 - odd].AUTHTYPE = "1";
    ASSERT_TRUE(files.Attach(rows, odd, path("in/a.jpg")));
    EXPECT_EQ(rows[odd].AUTHFILE, "B000000002_1_______x_y.jpg");

    // The existing record's file is replaced by a rename over it: the old
    // name never goes away, so a failed rename would keep the old file.
    ASSERT_TRUE(files.Attach(rows, 1 - odd, path("in/a.jpg")));
    EXPECT_EQ(rows[1 - odd].AUTHFILE, "B000000002_101.jpg");
    testing_support::FolderWatch watch(path("AUTHFILE"));
    ASSERT_TRUE(watch.watching());
    ASSERT_TRUE(files.Save(rows));
    EXPECT_EQ(readFile("AUTHFILE/B000000002_101.jpg"), "new");
    EXPECT_EQ(readFile("AUTHFILE/B000000002_1_______x_y.jpg"), "new");
    EXPECT_FALSE(watch.removed().contains("B000000002_101.jpg"))
        << watch.removed().join(' ').toStdString();
    EXPECT_EQ(QDir(path("AUTHFILE")).entryList(QDir::Files).size(), 2);
}

TEST_F(Evidence, OpenEmptiesTheChosenFiles)
{
    writeFile("AUTHTEMP/left.jpg", "x");
    consent::EvidenceFiles files(db(), ui, workspace());
    ASSERT_TRUE(files.Open());
    EXPECT_TRUE(QDir(path("AUTHTEMP")).isEmpty());
    EXPECT_TRUE(QDir(path("AUTHFILE")).exists());
}

TEST_F(Evidence, TwoInstitutionsOneExemptGiveOneFileAndHyphenatedPayersAreFound)
{
    addConsent("B000000002", "11", "1234567890123", "1-01", 0, "1234567890");
    addConsent("A000000001", "11", "1234567890123", "201", 0, "800101");
    addConsent("B000000002", "11", "1234567890123", "102", 0, "800101");
    addEvidence("B000000002", "11", "1-01", "1234567890123", "1", "B_1.jpg");
    addEvidence("B000000002", "11", "102", "1234567890123", "4", "B_2.mp3");
    writeFile("AUTHFILE/B_1.jpg", QByteArray(624, 'a'));
    writeFile("AUTHFILE/B_2.mp3", QByteArray(625, 'b'));
    FakeUploader up;
    ASSERT_TRUE(send(up, {{"B000000002", "11", "1234567890123", "1-01"},
                          {"A000000001", "11", "1234567890123", "201"},
                          {"B000000002", "11", "1234567890123", "102"}}));
    ASSERT_EQ(up.files.size(), 1);
    EXPECT_EQ(QFileInfo(up.files[0]).fileName(), "FB01100315103000_B000000002.dat");
    EXPECT_EQ(up.ids, QStringList{"BR0001"});
    const QByteArray f = readFile("AUTHTEMP/FB01100315103000_B000000002.dat");
    EXPECT_EQ(f.size(), 1024 + 1024 + 2048 + 1024);
    EXPECT_EQ(f.mid(1024 + 49, 14), "11234567890   "); // 10 digits: business number
    EXPECT_EQ(f.mid(1024 + 94, 4), "101 ");
    EXPECT_EQ(ui.texts("info").size(), 2);
    EXPECT_EQ(ui.texts("info")[0],
              QStringLiteral("A000000001 기관코드는 증빙자료 면제 업체로 등록되어 "
                             "있어 전송하지 않고 넘어갑니다."));
    EXPECT_EQ(sent(), "1-01|1|20240315\n102|1|20240315");
    EXPECT_FALSE(ui.waitExists());
}

TEST_F(Evidence, PartialExemptionNeedsNoFile)
{
    addConsent("C000000003", "11", "1234567890123", "301", 0, "800101");
    addEvidence("C000000003", "11", "301", "1234567890123", "5", "");
    FakeUploader up;
    ASSERT_TRUE(send(up, {{"C000000003", "11", "1234567890123", "301"}}));
    const QByteArray f = readFile("AUTHTEMP/" + QFileInfo(up.files.value(0)).fileName());
    ASSERT_EQ(f.size(), 3 * 1024);
    EXPECT_EQ(f.mid(1024 + 147, 12), "5    0000000");
}

TEST_F(Evidence, ChecksBeforeTheFirstUpload)
{
    addConsent("B000000002", "11", "1234567890123", "101", 0, "800101");
    addConsent("B000000002", "04", "12345678901234", "102", 0, "800101");
    addEvidence("B000000002", "11", "101", "1234567890123", "1", "B_1.jpg");
    writeFile("AUTHFILE/B_1.jpg", "a");
    const QList<ConsentKey> both = {{"B000000002", "11", "1234567890123", "101"},
                                    {"B000000002", "04", "12345678901234", "102"}};
    FakeUploader up;
    EXPECT_FALSE(send(up, both));
    EXPECT_TRUE(
        ui.texts("info").value(0).startsWith(QStringLiteral("증빙 파일 종류가 선택이 안된")));

    addEvidence("B000000002", "04", "102", "12345678901234", "2", "B_2.der");
    ui.clear();
    EXPECT_FALSE(send(up, both));
    EXPECT_TRUE(
        ui.texts("info").value(0).startsWith(QStringLiteral("파일이 존재하지 않는 자료가")));

    ui.clear();
    EXPECT_FALSE(send(up, both, path("nowhere/libSecurelink.so")));
    EXPECT_EQ(
        ui.texts("info"),
        QStringList{QStringLiteral(
            "송신 관련 Securelink.dll 파일이 존재 하지 않습니다.\r\n고객센터에 문의하십시오.")});

    QFile::remove(path("conf/org.conf"));
    ui.clear();
    EXPECT_FALSE(send(up, both));
    EXPECT_TRUE(ui.texts("info").value(0).startsWith(QStringLiteral("송신 관련 org.conf")));

    exec("DELETE FROM EvidentialAuthKey");
    ui.clear();
    EXPECT_FALSE(send(up, both));
    EXPECT_TRUE(ui.texts("info").value(0).startsWith(QStringLiteral("기관의 증빙키가")));
    EXPECT_TRUE(up.files.isEmpty());
    EXPECT_EQ(sent(), "101|0|\n102|0|");
}

TEST_F(Evidence, AFailedUploadMarksOnlyWhatArrivedBeforeIt)
{
    addInstitution(QStringLiteral("둘째단지"), "D000000004", "DB100", "DB200");
    addConsent("B000000002", "11", "1234567890123", "101", 0, "800101");
    addConsent("D000000004", "11", "1234567890123", "401", 0, "800101");
    addEvidence("B000000002", "11", "101", "1234567890123", "1", "B_1.jpg");
    addEvidence("D000000004", "11", "401", "1234567890123", "1", "D_1.jpg");
    writeFile("AUTHFILE/B_1.jpg", "a");
    writeFile("AUTHFILE/D_1.jpg", "d");
    const QList<ConsentKey> keys = {{"B000000002", "11", "1234567890123", "101"},
                                    {"D000000004", "11", "1234567890123", "401"}};
    FakeUploader up;
    up.answers = {"0000", "7"};
    EXPECT_FALSE(send(up, keys));
    EXPECT_EQ(up.files.size(), 2);
    EXPECT_TRUE(ui.saw(
        "info", QStringLiteral("증빙자료 전송에 실패 하였습니다.\r\n고객센터에 문의하십시오.")));
    EXPECT_EQ(sent(), "101|1|20240315\n401|0|");
    EXPECT_EQ(value("SELECT COUNT(*) FROM EvidenceUpload").toInt(), 0);

    // Sent and unused within the week: not sent again.
    ui.clear();
    up.files.clear();
    EXPECT_TRUE(send(up, keys));
    ASSERT_EQ(up.files.size(), 1);
    EXPECT_TRUE(up.files[0].endsWith("_D000000004.dat"));
    EXPECT_EQ(sent(), "101|1|20240315\n401|1|20240315");
}

// An upload that a crash left unresolved (its trace still open): the
// consents go again only when the user says so.
TEST_F(Evidence, AnUnresolvedUploadGoesAgainOnlyWhenTheUserSaysSo)
{
    addConsent("B000000002", "11", "1234567890123", "101", 0, "800101");
    addEvidence("B000000002", "11", "101", "1234567890123", "1", "B_1.jpg");
    writeFile("AUTHFILE/B_1.jpg", "a");
    exec("INSERT INTO EvidenceUpload (FILENAME, BANKCD, CUSTNO, CMSSERIALNO, ACCTNO, STARTED) "
         "VALUES ('FB01100315090000_B000000002.dat', '11', 'B000000002', '101', "
         "'1234567890123', '2024-03-15 09:00:00')");
    const QList<ConsentKey> keys = {{"B000000002", "11", "1234567890123", "101"}};
    FakeUploader up;
    ui.answerConfirm(false);
    EXPECT_TRUE(send(up, keys));
    EXPECT_TRUE(up.files.isEmpty());
    EXPECT_TRUE(ui.texts("confirm").value(0).contains("FB01100315090000_B000000002.dat"));
    EXPECT_EQ(sent(), "101|0|");
    ui.clear();
    ui.answerConfirm(true);
    EXPECT_TRUE(send(up, keys));
    EXPECT_EQ(up.files.size(), 1);
    EXPECT_EQ(sent(), "101|1|20240315");
    EXPECT_EQ(value("SELECT COUNT(*) FROM EvidenceUpload").toInt(), 0);
}

// The evidence of a registration that went is used; nothing else changes,
// and the marking runs in (and rolls back with) the caller's transaction.
TEST_F(Evidence, MarkingUsedTouchesOnlySentEvidenceOfRegistrations)
{
    struct Case
    {
        const char* payer;
        int status;
        const char* state;
        const char* after;
    };
    const Case cases[] = {
        {"101", 0, "1", "2"}, // waiting registration
        {"102", 1, "1", "2"}, // already advanced by the recording
        {"103", 4, "1", "1"}, // a cancellation needs no evidence
        {"104", 0, "0", "0"}, // never sent
        {"105", 0, "1", "1"}, // not among those given
    };
    QList<ConsentKey> given;
    for (const Case& c : cases) {
        addConsent("B000000002", "11", "1234567890123", c.payer, c.status, "800101");
        addEvidence("B000000002", "11", c.payer, "1234567890123", "1", "", c.state, "20240314");
        if (QString(c.payer) != "105")
            given.append({"B000000002", "11", "1234567890123", c.payer});
    }
    given.append({"B000000002", "11", "1234567890123", "1-05"}); // another key: no row
    {
        ASSERT_TRUE(db().transaction());
        ASSERT_TRUE(consent::MarkEvidenceUsed(db(), given).ok());
        ASSERT_TRUE(db().rollback());
    }
    EXPECT_EQ(value("SELECT COUNT(*) FROM Evidential WHERE SENDSTATE = '2'").toInt(), 0);
    ASSERT_TRUE(db().transaction());
    ASSERT_TRUE(consent::MarkEvidenceUsed(db(), given).ok());
    ASSERT_TRUE(db().commit());
    for (const Case& c : cases)
        EXPECT_EQ(
            value("SELECT SENDSTATE FROM Evidential WHERE CMSSERIALNO = ?", {c.payer}).toString(),
            c.after)
            << c.payer;
    // Used evidence no longer backs a request.
    consent::EvidenceCheck check(db(), QDate(2024, 3, 15));
    EXPECT_FALSE(*check.Ready({"B000000002", "11", "1234567890123", "101"}));
    EXPECT_TRUE(*check.Ready({"B000000002", "11", "1234567890123", "105"}));

    exec("DROP TABLE Evidential");
    ASSERT_TRUE(db().transaction());
    EXPECT_FALSE(consent::MarkEvidenceUsed(db(), given).ok());
    db().rollback();
}

// A number wider than its field is refused wherever a file is written,
// never cut: the rest of the file would no longer parse.
TEST(NumberFields, AreRefusedNotCut)
{
    consent::EvidenceItem huge{"800101", "101", "11", "1", "4", "wav", QByteArray(12000000, 'r')};
    const platform::Result<QByteArray> f =
        consent::EvidenceTransferBytes("B000000002", QDate(2024, 3, 15), "BR0001", "0", {huge});
    ASSERT_FALSE(f.ok());
    EXPECT_TRUE(f.error().contains("12000000")) << f.error().toStdString();
    consent::EvidenceItem fits = huge;
    fits.content.resize(9999999);
    EXPECT_TRUE(
        consent::EvidenceTransferBytes("B000000002", QDate(2024, 3, 15), "BR0001", "0", {fits})
            .ok());

    edi::RecordBuilder r;
    r.number(1234567, 7).zeroFilled("12", 2);
    EXPECT_TRUE(r.tooWide().isEmpty());
    EXPECT_EQ(r.record(), "123456712");
    r.number(12345678, 7).text("cut text", 3).zeroFilled("1234", 3);
    EXPECT_TRUE(r.tooWide().contains("12345678")) << r.tooWide().toStdString();

    shell::Envelope e;
    e.size = 9999999999;
    EXPECT_TRUE(shell::EnvelopeLine(e).ok());
    e.size = 10000000000;
    EXPECT_FALSE(shell::EnvelopeLine(e).ok());
}

TEST_F(Evidence, TheStandInLibraryUploadsAndFailsOnRequest)
{
    addConsent("B000000002", "11", "1234567890123", "101", 0, "800101");
    addEvidence("B000000002", "11", "101", "1234567890123", "1", "B_1.jpg");
    writeFile("AUTHFILE/B_1.jpg", "a");
    const QList<ConsentKey> keys = {{"B000000002", "11", "1234567890123", "101"}};
    platform::SecurelinkLibrary library(consent::DefaultSecurelinkPath(workspace()));
    ASSERT_TRUE(QFileInfo::exists(library.path())) << library.path().toStdString();

    for (const char* step : {"2", "5", "7"}) {
        qputenv("SECURELINK_FAIL_STEP", step);
        ui.clear();
        EXPECT_FALSE(send(library, keys)) << step;
        EXPECT_EQ(sent(), "101|0|");
    }
    qunsetenv("SECURELINK_FAIL_STEP");
    qputenv("SECURELINK_RESCODE", "E101");
    EXPECT_FALSE(send(library, keys));
    qunsetenv("SECURELINK_RESCODE");
    EXPECT_TRUE(QDir(path("Mailbox/Evidence")).isEmpty());

    // An ID the client holds no key for is refused at its second step.
    EXPECT_EQ(library.Upload(home(), "OTHER", path("AUTHFILE/B_1.jpg")), "2");
    EXPECT_EQ(platform::SecurelinkLibrary(path("none.so")).Upload(home(), "BR0001", path("x")),
              "1");

    ui.clear();
    ASSERT_TRUE(send(library, keys));
    EXPECT_EQ(sent(), "101|1|20240315");
    const QStringList arrived = QDir(path("Mailbox/Evidence")).entryList(QDir::Files);
    ASSERT_EQ(arrived, QStringList{"FB01100315103000_B000000002.dat"});
    EXPECT_EQ(readFile("Mailbox/Evidence/" + arrived[0]).size(), 3 * 1024);
}

TEST_F(Evidence, ConfigurationFiles)
{
    EXPECT_EQ(readFile("conf/Kavol.conf"),
              "url=https://evidence.tervo.example:8443/webapi\r\n"
              "test_url=https://evidence.tervo.example:8443/webapi\r\n");
    const QByteArray org = readFile("conf/org.conf");
    EXPECT_EQ(org, "timeout=60\r\nlog_level=3\r\nauto_rollback=0\r\nlog_dir=" +
                       QDir::toNativeSeparators(path("conf/log")).toLocal8Bit() +
                       "\r\nlog_except=\r\nverify_cert=0\r\nverify_host=0\r\nBR0001=KEY1\r\n");
    // A new key replaces its line; other lines stay; Kavol.conf is kept.
    writeFile("conf/Kavol.conf", "url=kept\r\n");
    ASSERT_TRUE(consent::WriteSecureClientConfig(home(), {"br0001", "key2"}));
    EXPECT_EQ(readFile("conf/Kavol.conf"), "url=kept\r\n");
    EXPECT_EQ(readFile("conf/org.conf"), QByteArray(org).replace("BR0001=KEY1", "BR0001=KEY2"));
    ASSERT_TRUE(consent::WriteSecureClientConfig(home(), {"BR0002", "K3"}));
    EXPECT_TRUE(readFile("conf/org.conf").endsWith("BR0001=KEY2\r\nBR0002=K3\r\n"));

    // A conf/ that cannot be made: refused, nothing written.
    writeFile("blocked", "file in the way");
    EXPECT_FALSE(consent::WriteSecureClientConfig(path("blocked"), {"BR0001", "K"}));
}

} // namespace

namespace {

TEST_F(Evidence, ASecondAccountUnderTheSameKeyIsRefusedAndTheFileStays)
{
    // Same bank, institution and payer number, another account: the table
    // holds one record per bank, institution and payer number.
    addConsent("B000000002", "11", "1234567890123", "101", 0, "800101");
    addConsent("B000000002", "11", "9999999999999", "101", 0, "800101");
    addEvidence("B000000002", "11", "101", "1234567890123", "1", "B000000002_101.jpg");
    writeFile("in/other.jpg", "other");
    consent::EvidenceFiles files(db(), ui, workspace());
    ASSERT_TRUE(files.Open());
    QList<consent::EvidenceRow> rows = files.Query({}, consent::EvidenceFilter::WithoutFile,
                                                   consent::EvidenceSearch::Account, "9999");
    ASSERT_EQ(rows.size(), 1);
    rows[0].AUTHTYPE = "1";
    ASSERT_TRUE(files.Attach(rows, 0, path("in/other.jpg")));
    EXPECT_EQ(rows[0].AUTHFILE, "B000000002_101_2.jpg");
    EXPECT_FALSE(files.Save(rows));
    EXPECT_EQ(ui.texts("error"), QStringList{QStringLiteral("코드가 중복됩니다.")});
    EXPECT_FALSE(ui.saw("plain", QStringLiteral("증빙 자료 등록이 완료 되었습니다.")));
    EXPECT_EQ(dump("SELECT ACCTNO, AUTHFILE FROM Evidential"), "1234567890123|B000000002_101.jpg");
}

} // namespace
