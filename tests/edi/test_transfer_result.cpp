// Transfer results: answers made here from the request files, in both
// layouts, applied file by file.

#include "edi/bank_groups.h"
#include "edi/fixed_record.h"
#include "edi/transfer_request.h"
#include "edi/transfer_result.h"
#include "shell/codec.h"
#include "shell/kept_files.h"
#include "shell/workspace.h"
#include "store/tdm1.h"
#include "tests/support/data_fixture.h"

#include <QDir>
#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {

// The 200-byte answer to a request file: its records without the envelope
// line, each D record with the outcome and result code of `answer(seq)`.
QByteArray answerOf(const QByteArray& request, const std::function<QByteArray(int)>& answer = {})
{
    QByteArray out;
    int seq = 0;
    for (QByteArray line : request.split('\n')) {
        if (line.isEmpty() || line.startsWith("<<"))
            continue;
        line.chop(1); // CR
        if (line.startsWith('D')) {
            const QByteArray a = answer ? answer(++seq) : QByteArray("Y0000");
            line.replace(154, 5, a);
        }
        out += line + "\r\n";
    }
    return out;
}

// The 200-byte answer with its trailer stating what its data records give
// (an answer cut down by hand).
QByteArray withOwnTrailer(const QByteArray& answer)
{
    qint64 count = 0, total = 0, groupCount[3] = {}, groupSum[3] = {};
    QByteArray out;
    for (qsizetype at = 0; at + 200 <= answer.size(); at += 200) {
        QByteArray record = answer.mid(at, 200);
        if (record.startsWith('D')) {
            const qint64 amount = record.mid(42, 13).toLongLong();
            const int group = int(edi::GroupOf(QString::fromLatin1(record.mid(24, 2))));
            ++count;
            total += amount;
            ++groupCount[group];
            groupSum[group] += amount;
        } else if (record.startsWith('E')) {
            const auto put = [&](int offset, int width, qint64 value) {
                record.replace(offset, width, QByteArray::number(value).rightJustified(width, '0'));
            };
            put(1, 7, count + 2);
            put(8, 7, count);
            put(15, 15, total);
            for (int g = 0; g < 3; ++g) {
                put(30 + 22 * g, 7, groupCount[g]);
                put(37 + 22 * g, 15, groupSum[g]);
            }
        }
        out += record;
    }
    return out;
}

QByteArray narrow(std::initializer_list<std::pair<int, QByteArray>> fields)
{
    QByteArray rec(78, ' ');
    for (const auto& [offset, value] : fields)
        rec.replace(offset, value.size(), value);
    return rec + "\r\n";
}

class TransferResult : public testing_support::DataTest
{
protected:
    void SetUp() override
    {
        DataTest::SetUp();
        addInstitution(QStringLiteral("푸른마을아파트"), "A123456789", "AB100", "AB200");
        addBatch(1, "A123456789", "2024-03-20");
        addBatch(2, "A123456789", "2024-03-20");
        addLine(1, "101", "1203", "13", "301-0123-4567-81", 10000);
        addLine(1, "101", "1204", "03", "12345678901012", 20000);
        addLine(2, "102", "301", "11", "352-1234-5678-93", 30000);
    }

    QByteArray request(const QString& file = "Apt_1")
    {
        edi::TransferRequestRun run{QDateTime(QDate(2024, 3, 15), QTime(9, 5, 7)),
                                    workspace().sendDir, "BR0001", 1013};
        EXPECT_TRUE(edi::BuildTransferRequests(db(), ui, run).ok);
        return readFile("Send/" + file);
    }

    edi::ResultRun apply()
    {
        ui.clear();
        return edi::ApplyTransferResults(*dm, workspace().recvDir, shell::KeptSendDir(workspace()));
    }

    QString lines()
    {
        return dump("SELECT AptID, DataNo, IcheYebu, ResultID4, ResultID, State, Rdate FROM Apt2 "
                    "ORDER BY Apt2ID");
    }
    QString batches()
    {
        return dump("SELECT AptID, State, E1TotNo, E1TotMon, E1JunNo, E1JunMon, E1JoNo, E1JoMon, "
                    "E1SucNo, E1SucMon, TotNo, TotMoney, Rdate FROM Apt1 ORDER BY rowid");
    }
};

TEST_F(TransferResult, OutcomesResultCodesAndClassTotalsWithAnAllFailedBatch)
{
    // Line 2 (bank 03) and line 3 (the whole second batch) fail.
    writeFile("Recv/AB200", answerOf(request(), [](int seq) {
                  return seq == 1 ? QByteArray("Y0000") : QByteArray("N1000");
              }));
    const edi::ResultRun r = apply();
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(lines(), "1|1|Y|0000||3|2024-03-15\n"
                       "1|2|X|1000||3|2024-03-15\n"
                       "2|3|X|1000||3|2024-03-15");
    // Batch 2 collected nothing: every class is 0, so its failures equal E1TotNo.
    EXPECT_EQ(batches(), "1|3|2|30000|0|0|1|10000|0|0|2|30000|2024-03-15\n"
                         "2|3|1|30000|0|0|0|0|0|0|1|30000|2024-03-15");
    ASSERT_EQ(r.items.size(), 2);
    // The header's account is hyphen-free, the institution's is stored hyphenated.
    EXPECT_EQ(r.items[0].name, QStringLiteral("푸른마을아파트"));
    EXPECT_EQ(r.items[0].fileInfo, "AB200");
    EXPECT_EQ(r.items[0].count, 2);
    EXPECT_EQ(r.items[1].amount, 30000);
    EXPECT_TRUE(ui.texts("error").isEmpty());
}

TEST_F(TransferResult, ALineDeletedAfterSendingIsRecreatedAndTwiceGivesTheSame)
{
    writeFile("Recv/AB200", answerOf(request()));
    exec("DELETE FROM Apt2 WHERE DataNo = 2");
    ASSERT_TRUE(apply().ok());
    EXPECT_EQ(dump("SELECT AptID, BankCode, BankNo, IcheDate, IcheMoney, IcheYebu, DongInt, Dong, "
                   "HoInt, Ho, DataNo, State FROM Apt2 WHERE DataNo = 2"),
              "1|03|12345678901012|2024-03-20|20000|Y|101|101|1204|1204|2|3");
    const QString firstLines = lines(), firstBatches = batches();

    ASSERT_TRUE(apply().ok());
    EXPECT_EQ(lines(), firstLines);
    EXPECT_EQ(batches(), firstBatches);
    EXPECT_EQ(value("SELECT Count(*) FROM Apt2").toInt(), 3);
}

TEST_F(TransferResult, AnotherAnswerFileToTheSameSendReplacesTheAnswers)
{
    // The batches' own answer, then another file to the same send (their
    // keys, institution and date) that answers line 1 otherwise.
    const QByteArray request = this->request();
    writeFile("Recv/AB200", answerOf(request, [](int seq) {
                  return seq == 2 ? QByteArray("Y0000") : QByteArray("N1000");
              }));
    ASSERT_TRUE(apply().ok());
    EXPECT_EQ(lines(), "1|1|X|1000||3|2024-03-15\n"
                       "1|2|Y|0000||3|2024-03-15\n"
                       "2|3|X|1000||3|2024-03-15");
    writeFile("Recv/AB200", answerOf(request, [](int seq) {
                  return seq == 1 ? QByteArray("N9999") : QByteArray("Y0000");
              }));
    ASSERT_TRUE(apply().ok());
    EXPECT_EQ(lines(), "1|1|X|9999||3|2024-03-15\n"
                       "1|2|Y|0000||3|2024-03-15\n"
                       "2|3|Y|0000||3|2024-03-15");
}

TEST_F(TransferResult, OnlyTheAnsweredLinesAmongAnotherBatchsLinesAreWritten)
{
    // Batch 2's lines (3 and 5, still waiting) lie among batch 1's; the
    // answer carries batch 1 only, most lines collected, every third not.
    addLine(1, "101", "1205", "13", "301-0123-4567-81", 10000);
    addLine(2, "102", "302", "11", "352-1234-5678-93", 30000);
    for (int i = 0; i < 7; ++i)
        addLine(1, "103", QString::number(1301 + i), "13", "301-0123-4567-81", 10000);
    const QByteArray otherKey = edi::BatchKey(QTime(9, 5, 7), 2).toLatin1();
    QByteArray answer;
    for (const QByteArray& record : answerOf(request(), [](int seq) {
             return seq % 3 == 0 ? QByteArray("N1000") : QByteArray("Y0000");
         }).split('\n'))
        if (!record.isEmpty() && record.mid(114, 5) != otherKey)
            answer += record + '\n';
    writeFile("Recv/AB200", withOwnTrailer(answer));

    ASSERT_TRUE(apply().ok());
    EXPECT_EQ(dump("SELECT Apt2ID, AptID, IcheYebu, ResultID4, State FROM Apt2 ORDER BY Apt2ID"),
              "1|1|Y|0000|3\n2|1|Y|0000|3\n3|2|Z||1\n4|1|X|1000|3\n5|2|Z||1\n"
              "6|1|Y|0000|3\n7|1|Y|0000|3\n8|1|X|1000|3\n9|1|Y|0000|3\n10|1|Y|0000|3\n"
              "11|1|X|1000|3\n12|1|Y|0000|3");
}

TEST_F(TransferResult, ABatchGoneSinceItsKeptSendIsCreatedOnReceipt)
{
    writeFile("Recv/AB200", answerOf(request()));
    ASSERT_TRUE(shell::KeepFiles(workspace().sendDir, shell::KeptSendDir(workspace())).ok);
    exec("DELETE FROM Apt1 WHERE AptID = 2");
    exec("DELETE FROM Apt2 WHERE AptID = 2");
    ASSERT_TRUE(apply().ok());
    EXPECT_EQ(
        dump("SELECT AptID, GiganID10, FileGubun, BankCode, MoBankNo, IcheDate, Pass, DataNo, "
             "Stime, Bigo, State, TotNo FROM Apt1 WHERE rowid > 1"),
        QStringLiteral("2|A123456789|11|12|3010123456781|2024-03-20|1013|2|09:05:07|수신시 "
                       "생성|3|1"));
    EXPECT_EQ(value("SELECT Count(*) FROM Apt2 WHERE AptID = 2").toInt(), 1);
    ASSERT_TRUE(apply().ok()); // the created batch is found again
    EXPECT_EQ(value("SELECT Count(*) FROM Apt1").toInt(), 2);
}

// Batch keys are only the send time and the run's ordinal: an answer whose
// key no batch of its own institution and date carries, and that no kept
// request file of that institution explains, is refused whole.
TEST_F(TransferResult, AnAnswerGoesOnlyToABatchOfItsInstitutionAndDate)
{
    addInstitution(QStringLiteral("햇살아파트"), "B000000002", "BB100", "BB200");
    addBatch(3, "B000000002", "2024-03-20");
    addLine(3, "1", "1", "04", "12345678901", 500);
    const QByteArray valid = answerOf(request("Apt_1"), [](int seq) {
        return seq == 1 ? QByteArray("N1000") : QByteArray("Y0000");
    });
    const QByteArray ninthKey = edi::BatchKey(QTime(9, 5, 7), 9).toLatin1();
    struct Case
    {
        const char* name;
        const char* file;
        std::function<void(QByteArray&)> edit;
        const char* reason;
    };
    const Case cases[] = {
        {"institution A's answer under institution B", "Recv/BB200",
         [](QByteArray& a) { a.replace(8, 10, "B000000002"); }, "B000000002"},
        {"another transfer date", "Recv/AB200", [](QByteArray& a) { a.replace(21, 8, "20240321"); },
         "2024-03-21"},
        {"a key never sent", "Recv/AB200",
         [&](QByteArray& a) {
             for (int r = 1; r <= 3; ++r)
                 a.replace(200 * r + 114, 5, ninthKey);
         },
         "보낸 자료가 없어"},
    };
    const QString before = lines() + batches();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(path("Recv")).removeRecursively();
        QByteArray bytes = valid;
        c.edit(bytes);
        writeFile(c.file, bytes);
        const edi::ResultRun r = apply();
        ASSERT_EQ(r.failures.size(), 1);
        EXPECT_TRUE(r.failures[0].contains(QString::fromUtf8(c.reason)))
            << r.failures[0].toStdString();
        EXPECT_EQ(lines() + batches(), before);
        EXPECT_EQ(value("SELECT Count(*) FROM Apt1").toInt(), 3);
    }
}

// The batch went again under a new key and that send was answered: the
// late answer to the earlier send, found through its kept request file,
// must not overwrite the received batch.
TEST_F(TransferResult, ALateAnswerToAnEarlierSendLeavesTheReceivedBatch)
{
    const QByteArray first = request();
    ASSERT_TRUE(shell::KeepFiles(workspace().sendDir, shell::KeptSendDir(workspace())).ok);
    exec("UPDATE Apt1 SET State = 1");
    exec("UPDATE Apt2 SET State = 1");
    edi::TransferRequestRun again{QDateTime(QDate(2024, 3, 15), QTime(11, 0, 0)),
                                  workspace().sendDir, "BR0001", 1013};
    ASSERT_TRUE(edi::BuildTransferRequests(db(), ui, again).ok);
    ASSERT_TRUE(shell::KeepFiles(workspace().sendDir, shell::KeptSendDir(workspace())).ok);
    writeFile("Recv/AB200", answerOf(readFile("Send/Apt_1")));
    ASSERT_TRUE(apply().ok());
    const QString received = lines() + batches();

    writeFile("Recv/AB200", answerOf(first, [](int) { return QByteArray("N1000"); }));
    const edi::ResultRun r = apply();
    ASSERT_EQ(r.failures.size(), 1);
    EXPECT_TRUE(r.failures[0].contains(QStringLiteral("이미 수신완료된 배치")))
        << r.failures[0].toStdString();
    EXPECT_EQ(lines() + batches(), received);
}

TEST_F(TransferResult, AFailingFileIsRolledBackAndNamedWhileOthersApply)
{
    addInstitution(QStringLiteral("햇살아파트"), "B000000002", "BB100", "BB200");
    addBatch(3, "B000000002", "2024-03-20");
    addLine(3, "1", "1", "04", "12345678901", 500);
    addLine(3, "1", "2", "04", "12345678902", 600);
    const QByteArray good = answerOf(request("Apt_1"));
    QByteArray bad = answerOf(readFile("Send/Apt_2"));
    bad.replace(200 * 2 + 1, 7, "00000x2"); // the second line's sequence number
    writeFile("Recv/AB200", good);
    writeFile("Recv/BB200", bad);

    const edi::ResultRun r = apply();
    EXPECT_FALSE(r.ok());
    ASSERT_EQ(r.failures.size(), 1);
    EXPECT_TRUE(r.failures[0].contains("BB200"));
    EXPECT_TRUE(ui.texts("error").value(0).startsWith(edi::ReceiveErrorMessage()));
    EXPECT_EQ(value("SELECT Count(*) FROM Apt2 WHERE AptID < 3 AND State = 3").toInt(), 3);
    // The first line of the bad file was applied before the error: undone.
    EXPECT_EQ(dump("SELECT IcheYebu, State FROM Apt2 WHERE AptID = 3"), "Z|1\nZ|1");
    EXPECT_EQ(value("SELECT State FROM Apt1 WHERE AptID = 3").toInt(), 1);
}

TEST_F(TransferResult, TheLastRecordWithoutItsLineEndStillClosesTheBatch)
{
    QByteArray answer = answerOf(request());
    answer.chop(2);
    writeFile("Recv/AB200", answer);
    ASSERT_TRUE(apply().ok());
    EXPECT_EQ(value("SELECT Count(*) FROM Apt1 WHERE State = 3").toInt(), 2);
}

TEST_F(TransferResult, ABlockOfAnInstitutionNotRegisteredUnderTheFileCodeChangesNothing)
{
    QByteArray answer = answerOf(request());
    answer.replace(8, 10, "Q000000009");
    writeFile("Recv/AB200", answer);
    const QString before = lines() + batches();
    const edi::ResultRun r = apply();
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(lines() + batches(), before);
    ASSERT_EQ(r.notes.size(), 1);
    EXPECT_TRUE(r.notes[0].contains("Q000000009"));
}

TEST_F(TransferResult, ABatchKeyRepeatedOnAnotherDayFindsTheHeadersBatch)
{
    writeFile("Recv/AB200", answerOf(request()));
    // An older batch of another date that got the same key on its own day.
    exec("INSERT INTO Apt1 (rowid, AptID, GiganID10, IcheDate, DataNo, Stime, State) "
         "VALUES (0, 9, 'A123456789', '2024-02-20', 1, '09:05:07', 3)");
    ASSERT_TRUE(apply().ok());
    EXPECT_EQ(value("SELECT E1TotNo FROM Apt1 WHERE AptID = 1").toInt(), 2);
    EXPECT_TRUE(value("SELECT E1TotNo FROM Apt1 WHERE AptID = 9").isNull());
}

TEST_F(TransferResult, TheNarrowLayoutInItsPlainAndKeyedVariants)
{
    addInstitution(QStringLiteral("옛단지"), "C000003", "CC100", "CC200");
    for (int b : {5, 6}) {
        addBatch(b, "C000003", "2024-03-20");
        exec("UPDATE Apt1 SET DataNo = ?, Stime = '09:05:07' WHERE AptID = ?", {b - 4, b});
    }
    const qint64 plainLine = addLine(5, "7", "701", "04", "12345678901", 700);
    exec("UPDATE Apt2 SET DataNo = 1 WHERE Apt2ID = ?", {plainLine});
    const qint64 keyedLine = addLine(6, "8", "801", "12", "30101234567", 800);
    exec("UPDATE Apt2 SET DataNo = 1 WHERE Apt2ID = ?", {keyedLine});

    const QByteArray plainHeader = narrow({{0, "11"},
                                           {4, "240320"},
                                           {19, "C000003"},
                                           {26, "PW12"},
                                           {30, "3010123456781"},
                                           {51, "-"},
                                           {53, "Y"}});
    QByteArray file = plainHeader;
    file += narrow({{0, "22"},
                    {2, "0000001"},
                    {9, "04"},
                    {11, "12345678901"},
                    {27, "000000000700"},
                    {39, "1"},
                    {40, "00"},
                    {46, "7"},
                    {51, "701"},
                    {69, "090507"},
                    {75, "001"}});
    // Not in the batch: created; an own-bank account behind two zeros.
    file += narrow({{0, "22"},
                    {2, "0000002"},
                    {9, "11"},
                    {11, "001234567890123"},
                    {27, "000000000900"},
                    {39, "0"},
                    {40, "07"},
                    {46, "7"},
                    {51, "702"},
                    {55, QByteArray("KIM")},
                    {69, "090507"},
                    {75, "001"}});
    file += narrow({{0, "22"}, {2, "0000003"}, {69, "090507"}, {75, "   "}}); // no batch: ignored
    file += narrow({{0, "33"}});
    const QByteArray key = edi::BatchKey(QTime(9, 5, 7), 2).toLatin1();
    file += narrow({{0, "11"}, {4, "240320"}, {19, "C000003"}, {30, "3010123456781"}, {53, "X"}});
    file += narrow({{0, "22"},
                    {2, "0000001"},
                    {9, "12"},
                    {11, "30101234567"},
                    {27, "000000000800"},
                    {39, "1"},
                    {40, "00"},
                    {46, "8"},
                    {50, "801"},
                    {59, key},
                    {66, "LEE"}});
    file += narrow({{0, "33"}});
    writeFile("Recv/CC200", file);

    const edi::ResultRun r = apply();
    ASSERT_TRUE(r.ok()) << r.failures.join(' ').toStdString();
    EXPECT_EQ(dump("SELECT AptID, BankCode, BankNo, IcheMoney, IcheYebu, ResultID, ResultID4, Ho, "
                   "Bigo FROM Apt2 WHERE AptID IN (5, 6) ORDER BY Apt2ID"),
              "5|04|12345678901|700|Y|0||701|입주자\n"
              "6|12|30101234567|800|Y|0||801|입주자\n"
              "5|11|1234567890123|900|X|7||702|KIM");
    EXPECT_EQ(dump("SELECT AptID, E1TotNo, E1TotMon, E1JunNo, E1JoNo, E1JoMon, E1SucNo, E1SucMon "
                   "FROM Apt1 WHERE AptID IN (5, 6) ORDER BY AptID"),
              "5|2|1600|0|0|0|1|700\n6|1|800|0|1|800|0|0");
    EXPECT_EQ(r.notes.size(), 1);
}

TEST_F(TransferResult, BadBytesAreReportedAndApplyNothingOfTheirFile)
{
    const QByteArray valid = answerOf(request());
    struct Case
    {
        const char* name;
        QByteArray bytes;
        bool applies;
    };
    const Case cases[] = {
        {"empty file", "", false},
        {"only line ends", "\r\n\r\n", false},
        {"cut in a record", valid.left(500), false},
        {"cut after a record", valid.left(600), false},
        {"no trailer", valid.left(800), false},
        {"data before a header", valid.mid(200), false},
        {"non-numeric sequence", QByteArray(valid).replace(201, 7, "ABCDEFG"), false},
        {"garbage", QByteArray(5000, '\xff'), false},
    };
    const QString before = lines() + batches();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile("Recv/AB200", c.bytes);
        const edi::ResultRun r = apply();
        EXPECT_EQ(r.ok(), c.applies);
        if (!c.applies) {
            EXPECT_EQ(lines() + batches(), before);
            EXPECT_EQ(r.failures.size(), 1);
        }
    }

    // A payer name whose last double-byte character straddles the field's
    // end keeps only its whole characters.
    QByteArray korean = valid;
    korean.replace(200 + 68, 13, " \xb1\xe8\xb1\xe8\xb1\xe8\xb1\xe8\xb1\xe8\xb1\xe8");
    writeFile("Recv/AB200", korean);
    exec("DELETE FROM Apt2 WHERE DataNo = 1");
    ASSERT_TRUE(apply().ok());
    EXPECT_EQ(value("SELECT Bigo FROM Apt2 WHERE DataNo = 1").toString(),
              QStringLiteral("김김김김김"));

    // Random damage to a valid answer never crashes, and a refused file
    // leaves the tables as they were.
    QRandomGenerator rng(8);
    for (int i = 0; i < 200; ++i) {
        exec("UPDATE Apt2 SET IcheYebu = 'Z', State = 1");
        exec("UPDATE Apt1 SET State = 1");
        const QString start = lines() + batches();
        QByteArray bytes = valid;
        for (int k = int(rng.bounded(1, 6)); k > 0; --k)
            bytes[int(rng.bounded(int(bytes.size())))] = char(rng.bounded(256));
        if (rng.bounded(4) == 0)
            bytes.truncate(int(rng.bounded(int(bytes.size()))));
        writeFile("Recv/AB200", bytes);
        const edi::ResultRun r = apply();
        if (!r.ok()) {
            EXPECT_EQ(lines() + batches(), start);
        }
    }
}

// The 200-byte trailer states the block's count and totals: an answer whose
// data records do not give them again, or that answers a line twice, is
// refused whole.
TEST_F(TransferResult, AnAnswerNotAgreeingWithItsTrailerIsRefusedWhole)
{
    // S, three D records (lines 1 and 2 of batch 1, line 3 of batch 2), E.
    const QByteArray valid = answerOf(request());
    const auto record = [&](int i) { return valid.mid(200 * i, 200); };
    const auto withTrailer = [&](QByteArray bytes, int offset, const QByteArray& field) {
        bytes.replace(bytes.size() - 200 + offset, field.size(), field);
        return bytes;
    };
    const QByteArray line2Twice = valid.left(600) + record(2) + record(3) + record(4);
    struct Case
    {
        const char* name;
        QByteArray bytes;
        const char* reason;
    };
    const Case cases[] = {
        {"a data record copied", line2Twice, "두 번"},
        // The copy's count and amount written into the trailer as well.
        {"a data record copied, the trailer made to match", withOwnTrailer(line2Twice), "두 번"},
        {"a data record dropped", valid.left(400) + record(3) + record(4), "종료 레코드"},
        {"the record count", withTrailer(valid, 1, "0000006"), "종료 레코드"},
        {"the line count", withTrailer(valid, 8, "0000004"), "종료 레코드"},
        {"the total", withTrailer(valid, 15, "000000000060001"), "종료 레코드"},
        {"a bank group's sum", withTrailer(valid, 81, "000000000010001"), "종료 레코드"},
        {"a number that is no number", withTrailer(valid, 8, "00000-3"), "종료 레코드"},
    };
    const QString before = lines() + batches();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile("Recv/AB200", c.bytes);
        const edi::ResultRun r = apply();
        ASSERT_EQ(r.failures.size(), 1);
        EXPECT_TRUE(r.failures[0].contains(QString::fromUtf8(c.reason)))
            << r.failures[0].toStdString();
        EXPECT_EQ(lines() + batches(), before);
    }
    writeFile("Recv/AB200", valid);
    EXPECT_TRUE(apply().ok());
}

} // namespace

// The record reader's shortcut for plain fields must cut every field as the
// character-aware cut does, also where a double-byte character (whose second
// byte may be a plain letter) stands just before, across or inside it.
TEST(RecordViewTest, EveryFieldOfAMixedRecordIsCutAsTheCharacterAwareCut)
{
    const QList<QByteArray> records = {
        shell::ToCp949(QStringLiteral("D0000001홍길동A1234 가B  ")),
        shell::ToCp949(QStringLiteral("뷁AZ 99 한글xyz")) + QByteArray("\x81"),
        QByteArray("AB\xB0\x41\xB0\x42" "CD\xFF\x80" "EF"), // trail bytes that read as 'A', 'B'
        QByteArray("plain record 0123"),
    };
    for (const QByteArray& record : records) {
        const edi::RecordView view(record);
        for (int offset = -1; offset <= record.size(); ++offset)
            for (int width = 0; width <= record.size() + 1; ++width)
                ASSERT_EQ(view.field(offset, width), edi::Field(record, offset, width))
                    << record.toHex().constData() << " at " << offset << " width " << width;
    }
}
