// Consent request files byte for byte, and the bank's answers to them.

#include "consent/consent_request.h"
#include "consent/consent_result.h"
#include "consent/consent_status.h"
#include "shell/workspace.h"
#include "store/tdm1.h"
#include "tests/support/data_fixture.h"

#include <QDir>
#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {

QByteArray pad(const QByteArray& s, int width)
{
    return s.leftJustified(width, ' ', true);
}

// The bank's answer to a request file: S marked "S1E", each D record with
// the acceptance flag and code of `answer(seq)` ("Y0000", "N1012" …).
QByteArray answerOf(const QByteArray& request, const std::function<QByteArray(int)>& answer)
{
    QByteArray out;
    int seq = 0;
    for (QByteArray line : request.split('\n')) {
        if (line.isEmpty() || line.startsWith("<<"))
            continue;
        line.chop(1);
        if (line.startsWith('S'))
            line.replace(1, 2, "1E");
        if (line.startsWith('D'))
            line.replace(43, 5, answer(++seq));
        out += line + "\r\n";
    }
    return out;
}

class ConsentFiles : public testing_support::DataTest
{
protected:
    void SetUp() override
    {
        DataTest::SetUp();
        addInstitution(QStringLiteral("면제단지"), "A123456789", "AB100", "AB200",
                       "301-0123-4567-81", QStringLiteral("면제"));
        addInstitution(QStringLiteral("제출단지"), "B000000002", "BB100", "BB200");
        addConsent("A123456789", "11", "123-4567-8901", "1011203", 0, "800101",
                   "2024-03-01 09:00:00");
        addConsent("B000000002", "04", "12345678901", "201", 4, "800101");
        addConsent("B000000002", "13", "3010123456781", "202", 0, "");
        addConsent("B000000002", "10", "1234567890123456", "203", 0, "7001011234");
        addSentEvidence("B000000002", "13", "3010123456781", "202");
        addSentEvidence("B000000002", "10", "1234567890123456", "203");
    }

    consent::ConsentRequestResult build()
    {
        const consent::ConsentRequestRun run{QDateTime(QDate(2024, 3, 15), QTime(10, 30)),
                                             workspace().sendDir, "BR0001"};
        return consent::BuildConsentRequests(db(), ui, run);
    }

    edi::ResultRun apply()
    {
        ui.clear();
        return consent::ApplyConsentResults(*dm, workspace().recvDir);
    }

    QString states()
    {
        return dump("SELECT NapbuNO, Status, ResultYN, ResultCD, Receivedate FROM TongRegister "
                    "ORDER BY NapbuNO");
    }
};

TEST_F(ConsentFiles, OneFilePerInstitutionByteForByte)
{
    const consent::ConsentRequestResult r = build();
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.files.size(), 2);
    ASSERT_EQ(r.items.size(), 2);
    EXPECT_EQ(r.items[1].kind, edi::KindConsent);
    EXPECT_EQ(r.items[1].name, QStringLiteral("제출단지"));
    EXPECT_EQ(r.items[1].fileInfo, "NA200");
    EXPECT_EQ(r.items[1].count, 3);
    EXPECT_EQ(r.written.size(), 4);

    const QByteArray exempt = "<<NEHEAD>>1N0000000000" + QByteArray(10, ' ') +
                              "BR0001    NA200 001BK12345   \r\n" +
                              "SE1A123456789"
                              "12"
                              "20240315"
                              "1" +
                              QByteArray(74, ' ') + "\r\n" +
                              "D0000001"
                              "11" +
                              pad("00012345678901", 16) +
                              "1"
                              "  "
                              "000000" +
                              "20240301" + QByteArray(5, ' ') + "Y" + pad("800101", 13) +
                              pad("1011203", 20) + QByteArray(16, ' ') + "\r\n" +
                              "E0000003"
                              "0000001"
                              "0000000" +
                              QByteArray(28, '0') + QByteArray(48, ' ') + "\r\n";
    EXPECT_EQ(readFile("Send/Register_1"), exempt);

    const QByteArray others = readFile("Send/Register_2");
    const QList<QByteArray> lines = others.split('\n');
    ASSERT_EQ(lines.size(), 7);
    EXPECT_EQ(lines[0], "<<SMHEAD>>3B0000000500" + QByteArray(10, ' ') +
                            "BR0001    NA200 001BK12345   001PAYINFO   \r");
    // Table order: bank 04 (unpadded, a cancellation, no request date:
    // today), bank 10 (group 11, 16 digits kept whole), bank 13 (group 12).
    EXPECT_EQ(lines[2], "D0000001"
                        "04" +
                            pad("12345678901", 16) +
                            "2"
                            "  "
                            "000000"
                            "20240315" +
                            QByteArray(5, ' ') + "Y" + pad("800101", 13) + pad("201", 20) +
                            QByteArray(16, ' ') + "\r");
    EXPECT_EQ(lines[3].mid(8, 19), "111234567890123456"
                                   "1");
    EXPECT_EQ(lines[3].mid(48, 14), "Y7001011234   ");
    EXPECT_EQ(lines[4].mid(8, 19), "12" + pad("03010123456781", 16) + "1");
    EXPECT_EQ(lines[4].at(48), 'N'); // no real-name number
    EXPECT_EQ(lines[5].left(22), "E0000005"
                                 "0000002"
                                 "0000001");

    EXPECT_EQ(
        value("SELECT Count(*) FROM TongRegister WHERE Senddate = '2024-03-15 10:30:00'").toInt(),
        4);
    EXPECT_EQ(value("SELECT Count(*) FROM TongRegister WHERE Status IN (0, 4)").toInt(), 4);
}

TEST_F(ConsentFiles, RealNameCheckOffSendsNForEveryConsent)
{
    exec("UPDATE BankCode SET JUMINCHECK = 0 WHERE Id = '12'");
    ASSERT_TRUE(build().ok);
    for (const QString file : {"Send/Register_1", "Send/Register_2"}) {
        for (const QByteArray& line : readFile(file).split('\n')) {
            if (line.startsWith('D')) {
                EXPECT_EQ(line.at(48), 'N');
            }
        }
    }
}

TEST_F(ConsentFiles, AnUnknownInstitutionGetsNoFileAndItsConsentsNoStamp)
{
    addConsent("0000000001", "04", "12345678901", "301", 0); // sorts first
    const consent::ConsentRequestResult r = build();
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(QDir(workspace().sendDir).entryList(QDir::Files),
              (QStringList{"Register_1", "Register_2"}));
    EXPECT_TRUE(readFile("Send/Register_1").contains("SE1A123456789"));
    ASSERT_EQ(r.skipped.size(), 1);
    EXPECT_TRUE(ui.texts("info").value(0).contains("0000000001"));
    EXPECT_FALSE(r.written.contains(consent::ConsentKey{"0000000001", "04", "12345678901", "301"}));
    EXPECT_TRUE(value("SELECT Senddate FROM TongRegister WHERE NapbuNO = '301'").isNull());
}

TEST_F(ConsentFiles, AControlCharacterNeverSplitsARecord)
{
    // Stored by another tool; the file keeps one record per line.
    addConsent("B000000002", "04", "98765432101", "20\r\n4", 0, "800101");
    addSentEvidence("B000000002", "04", "98765432101", "20\r\n4");
    ASSERT_TRUE(build().ok);
    const QList<QByteArray> lines = readFile("Send/Register_2").split('\n');
    ASSERT_EQ(lines.size(), 8);
    for (int i = 1; i < 7; ++i)
        EXPECT_EQ(lines[i].size(), 99) << i; // 98 and the CR
    EXPECT_TRUE(lines[3].contains("20  4")) << lines[3].toStdString();
}

TEST_F(ConsentFiles, AFailedBuildStampsNothingAndLeavesNoFile)
{
    QDir(workspace().sendDir).removeRecursively();
    const consent::ConsentRequestResult r = build();
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.anyWaiting);
    EXPECT_TRUE(ui.texts("error").value(0).startsWith(
        QStringLiteral("송신 자료 생성중 오류가 발생하였습니다.")));
    EXPECT_EQ(value("SELECT Count(*) FROM TongRegister WHERE Senddate IS NOT NULL").toInt(), 0);
}

TEST_F(ConsentFiles, SendingIsOnOnlyWithVersionOneOfBankTwelve)
{
    EXPECT_TRUE(consent::ConsentSendingOn(db()).value()); // switched on by the migration
    exec("UPDATE BankCode SET SENDVERSION = '0' WHERE Id = '12'");
    EXPECT_FALSE(consent::ConsentSendingOn(db()).value());
    exec("DELETE FROM BankCode WHERE Id = '12'");
    EXPECT_FALSE(consent::ConsentSendingOn(db()).value());
}

TEST_F(ConsentFiles, AnswersMoveEachConsentAlongTheStatusMachine)
{
    ASSERT_TRUE(build().ok);
    exec("UPDATE TongRegister SET Status = Status + 1"); // as a successful send does
    const QByteArray first = readFile("Send/Register_1");
    const QByteArray second = readFile("Send/Register_2");
    // Register_2 holds 201 (cancellation), 203 and 202 (registrations).
    writeFile("Recv/NA200", answerOf(first, [](int) { return QByteArray("Y0000"); }) +
                                answerOf(second, [](int seq) {
                                    return seq == 1   ? QByteArray("N2003") // refused cancellation
                                           : seq == 2 ? QByteArray(" 2005") // duplicate: accepted
                                                      : QByteArray("N1012");
                                }));
    const edi::ResultRun r = apply();
    ASSERT_TRUE(r.ok());
    // Banks 10 and 13 came back under their groups "11" and "12", bank 04
    // with its account unpadded: every consent is found.
    EXPECT_EQ(states(), "1011203|2|1|0|2024-03-15 10:30:00\n"
                        "201|7|0|2003|2024-03-15 10:30:00\n"
                        "202|3|0|1012|2024-03-15 10:30:00\n"
                        "203|2|1|2005|2024-03-15 10:30:00");
    ASSERT_EQ(r.items.size(), 2);
    EXPECT_EQ(r.items[0].name, QStringLiteral("면제단지"));
    EXPECT_EQ(r.items[1].count, 3);
    EXPECT_EQ(r.items[1].fileInfo, "NA200");
    EXPECT_TRUE(r.notes.isEmpty());

    EXPECT_EQ(consent::StatusText(7), QStringLiteral("해지오류"));
    EXPECT_EQ(consent::StatusText(QVariant()), QStringLiteral("미등록"));
    EXPECT_EQ(consent::StatusText(9), QStringLiteral("미등록"));
}

TEST_F(ConsentFiles, AConsentStoredUnderALowerCaseCodeGetsItsAnswer)
{
    // As an import before the codes were stored as registered left it.
    exec("UPDATE TongRegister SET Giganid = 'a123456789' WHERE Giganid = 'A123456789'");
    ASSERT_TRUE(build().ok);
    exec("UPDATE TongRegister SET Status = Status + 1");
    // Sent under the registered spelling; "a…" sorts after "B…".
    const QByteArray request = readFile("Send/Register_2");
    ASSERT_TRUE(request.contains("A123456789")) << request.toStdString();
    writeFile("Recv/NA200", answerOf(request, [](int) { return QByteArray("Y0000"); }));
    const edi::ResultRun r = apply();
    ASSERT_TRUE(r.ok());
    EXPECT_TRUE(r.notes.isEmpty()) << r.notes.join('\n').toStdString();
    EXPECT_EQ(dump("SELECT Giganid, Status, ResultYN FROM TongRegister WHERE NapbuNO = '1011203'"),
              "a123456789|2|1");
}

TEST_F(ConsentFiles, RecordsThatCannotBeAppliedAreLeftOutAndTheRestGoesOn)
{
    ASSERT_TRUE(build().ok);
    QByteArray answer = answerOf(readFile("Send/Register_2"), [](int seq) {
        return seq == 1 ? QByteArray("Y00x0") : QByteArray("Y0000");
    });
    // A record outside any block, and an unknown institution's block.
    const QByteArray record = answer.mid(100, 100);
    answer += record + "S1EQ000000009" + QByteArray(85, ' ') + "\r\n" + record + "E" +
              QByteArray(97, ' ') + "\r\n";
    writeFile("Recv/NA200", answer);
    const edi::ResultRun r = apply();
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(dump("SELECT NapbuNO, Status FROM TongRegister WHERE Giganid = 'B000000002' "
                   "ORDER BY NapbuNO"),
              "201|4\n202|2\n203|2");
    ASSERT_EQ(r.notes.size(), 3);
    EXPECT_TRUE(r.notes[0].contains("00x0"));
    EXPECT_TRUE(r.notes[1].contains(QStringLiteral("헤더 레코드 없는")));
    EXPECT_TRUE(r.notes[2].contains("Q000000009"));
    EXPECT_EQ(r.items.value(0).count, 2);
}

TEST_F(ConsentFiles, FilesThatCannotBeReadChangeNothing)
{
    ASSERT_TRUE(build().ok);
    const QByteArray valid =
        answerOf(readFile("Send/Register_2"), [](int) { return QByteArray("Y0000"); });
    struct Case
    {
        const char* name;
        QByteArray bytes;
        bool failure; // false: not a consent result, left unread
    };
    const Case cases[] = {
        {"a request file", readFile("Send/Register_2").mid(76), false},
        {"empty", "", false},
        {"only line ends", "\r\n\r\n", false},
        {"cut in a record", valid.left(250), true},
        {"no trailer", valid.left(300), true},
        {"garbage after the mark", "S1E" + QByteArray(300, '\xb0'), true},
    };
    const QString before = states();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile("Recv/NA200", c.bytes);
        const edi::ResultRun r = apply();
        EXPECT_TRUE(r.found);
        EXPECT_EQ(r.ok(), !c.failure);
        EXPECT_EQ(states(), before);
        if (c.failure) {
            EXPECT_TRUE(r.failures.value(0).contains("NA200"));
        }
    }

    // Random damage never crashes; a refused file changes nothing.
    QRandomGenerator rng(6);
    for (int i = 0; i < 150; ++i) {
        exec("UPDATE TongRegister SET Status = 1, ResultYN = NULL, ResultCD = NULL, "
             "Receivedate = NULL");
        const QString start = states();
        QByteArray bytes = valid;
        for (int k = int(rng.bounded(1, 5)); k > 0; --k)
            bytes[int(rng.bounded(int(bytes.size())))] = char(rng.bounded(256));
        if (rng.bounded(4) == 0)
            bytes.truncate(int(rng.bounded(int(bytes.size()))));
        writeFile("Recv/NA200", bytes);
        if (!apply().ok()) {
            EXPECT_EQ(states(), start);
        }
    }
}

} // namespace
