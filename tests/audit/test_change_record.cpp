#include "audit/audit_file.h"
#include "audit/read.h"
#include "shell/workspace.h"
#include "tests/exchange/exchange_fixture.h"
#include "tests/support/program_run.h"
#include "transfer/lines.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>

#include <optional>
#include <pwd.h>
#include <unistd.h>

namespace {

using testing_support::ProgramRun;

// One printed row: time, user, program, action, table, key, field, old, new.
enum Column { Time, User, Program, Action, Table, Key, Field, Old, New };

class ChangeRecord : public exchange_tests::ExchangeTest
{
protected:
    void SetUp() override
    {
        ExchangeTest::SetUp();
        addBatch(1, "A123456789", "2024-03-20");
        addLine(1, "101", "1203", "11", "352-1234-5678-93", 50000);
        addLine(1, "101", "1204", "13", "301-0123-4567-81", 10000);
    }

    ProgramRun tool(const QStringList& args)
    {
        return testing_support::RunProgram(PELMAR_TOOL, home(), args);
    }
    ProgramRun sim(const QStringList& args)
    {
        return testing_support::RunProgram(CLEARING_SIM, home(), args);
    }
    // The help desk's sqlite3 tool on the record file: exit code and stderr.
    QString sqlite3(const QString& statement)
    {
        QProcess p;
        p.start("sqlite3", {path("Data/Audit.db"), statement});
        EXPECT_TRUE(p.waitForFinished(30000));
        return QString::number(p.exitCode()) + QString::fromUtf8(p.readAllStandardError());
    }
    QList<QStringList> rows(const QStringList& filter = {})
    {
        const ProgramRun r = tool(QStringList{"audit"} + filter);
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        QList<QStringList> out;
        for (const QString& line : r.out.split('\n', Qt::SkipEmptyParts))
            out.append(line.split('\t'));
        return out;
    }
    static std::optional<QStringList> find(const QList<QStringList>& in, const QString& action,
                                           const QString& table, const QString& field = {})
    {
        for (const QStringList& row : in)
            if (row.size() == 9 && row[Action] == action && row[Table] == table &&
                (field.isEmpty() || row[Field] == field))
                return row;
        return std::nullopt;
    }
    void writeLines(const QString& file)
    {
        QFile f(path(file));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        // The shipped layout 기본양식; the second record's bank is unknown.
        for (const char* bank : {"11", "30"})
            f.write(QByteArray("101 1205                    ")
                        .append(bank)
                        .append("12345678901     1000")
                        .leftJustified(98, ' ') +
                    "\r\n");
    }
};

QString osUser()
{
    const passwd* pw = getpwuid(geteuid());
    return pw ? QString::fromLocal8Bit(pw->pw_name) : QString();
}

// Each kind of change through its command: the row names it with the old
// and new value; a secret is recorded as changed, never with its value.
TEST_F(ChangeRecord, EachKindOfChangeIsFoundWithItsValues)
{
    writeLines("in.prn");
    struct Case
    {
        QStringList args;
        QString action, table, key, field, oldValue, newValue;
    };
    const QList<Case> cases = {
        {{"set-state", "--batch", "1", "--state", "0"}, "상태변경", "Apt1", "1", "State", "1", "0"},
        {{"calendar", "add", "2024-03-25", "임시휴무"}, "입력", "BizCalendar",
         "2024-03-25 지점", "", "", "CalDate=2024-03-25, Kind=휴무, Name=임시휴무, Source=지점"},
        {{"calendar", "remove", "2024-03-25"}, "삭제", "BizCalendar", "2024-03-25 지점", "",
         "CalDate=2024-03-25, Kind=휴무, Name=임시휴무, Source=지점", ""},
        {{"follow-up-rules", "--code", "1000", "--action", "없음"}, "수정", "FollowUpRule", "1000",
         "Action", "1", "0"},
        {{"link", "setup", "Password=s3cret77"}, "수정", "링크 설정", "", "Password", "",
         "(변경됨)"},
        {{"import-lines", "--batch", "1", "--layout", "기본양식", path("in.prn")}, "가져오기",
         "Apt2", "1", "파일", "", "in.prn: 입력 1건, 거부 1건"},
        {{"export-lines", "--batch", "1", path("out.xlsx")}, "내보내기", "이체자료",
         path("out.xlsx"), "", "", "3건"},
        {{"text-output", "--batch", "1", path("out.txt")}, "텍스트출력", "이체자료",
         path("out.txt"), "", "", "3건"},
    };
    qsizetype seen = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const ProgramRun r = tool(c.args);
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        const QList<QStringList> all = rows();
        const auto row = find(all.mid(seen), c.action, c.table, c.field);
        ASSERT_TRUE(row.has_value());
        EXPECT_EQ((*row)[Key], c.key);
        EXPECT_EQ((*row)[Old], c.oldValue);
        EXPECT_EQ((*row)[New], c.newValue);
        EXPECT_EQ((*row)[User], osUser());
        EXPECT_EQ((*row)[Program], "pelmar-tool");
        EXPECT_EQ((*row)[Time], "2024-03-15 10:30:00");
        seen = all.size();
    }
    // The import is one row, not one per line; no password reaches the record.
    const QList<QStringList> all = rows();
    EXPECT_FALSE(find(all, "입력", "Apt2").has_value());
    const QByteArray file = readFile("Data/Audit.db");
    EXPECT_FALSE(file.contains("s3cret77"));
    EXPECT_EQ(tool({"audit", "verify"}).exitCode, 0);
    // Filtered by table and key, as the screen reads it.
    EXPECT_EQ(rows({"--table", "bizcalendar", "--key", "03-25"}).size(), 2);
    EXPECT_EQ(rows({"--from", "2024-03-16"}).size(), 0);
}

// The lines screen's bulk amount change (its core function, with the
// record started as Pelmar starts it): a row per line with both amounts,
// under the line's batch, 동-호 and institution.
TEST_F(ChangeRecord, BulkAmountChangeKeepsEveryLinesOldAndNewAmount)
{
    audit::Start(QStringLiteral("Pelmar"), workspace(), {});
    ASSERT_TRUE(dm->Connect(workspace().dataDir));
    ASSERT_TRUE(audit::IsAttached(dm->db()));
    QList<int> ids;
    QSqlQuery q(dm->db());
    ASSERT_TRUE(q.exec("SELECT Apt2ID FROM Apt2 ORDER BY Apt2ID"));
    while (q.next())
        ids.append(q.value(0).toInt());
    ASSERT_TRUE(transfer::TransferLines(*dm, ui, 1).SetAmount(ids, "500000"));

    audit::Filter f;
    f.institution = "A123456789";
    f.text = "IcheMoney";
    const auto entries = audit::ReadEntries(dm->db(), f);
    ASSERT_TRUE(entries) << entries.error().toStdString();
    ASSERT_EQ(entries->size(), 2u);
    EXPECT_EQ((*entries)[0].key, QString("1/%1 101-1203").arg(ids[0]));
    EXPECT_EQ((*entries)[0].oldValue, "50000");
    EXPECT_EQ((*entries)[0].newValue, "500000");
    EXPECT_EQ((*entries)[1].oldValue, "10000");
    EXPECT_EQ((*entries)[0].program, "Pelmar");
    const auto counts = audit::CountPeriod(dm->db(), QDate(2024, 3, 1), QDate(2024, 3, 31));
    ASSERT_TRUE(counts);
    EXPECT_EQ(counts->changes, 2);
    EXPECT_EQ(counts->downloads, 0);
    // The tool finds one line of the change by its 동-호, and the chain holds.
    const QList<QStringList> found = rows({"--key", "101-1204"});
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(found[0][Old], "10000");
    EXPECT_EQ(found[0][New], "500000");
    EXPECT_EQ(tool({"audit", "verify"}).exitCode, 0);
}

// A change whose row cannot be written to the record (another program
// holds the record file) fails, is said, and leaves the data as it was.
TEST_F(ChangeRecord, AChangeTheRecordCannotTakeIsSaidAndUndone)
{
    ASSERT_EQ(tool({"set-state", "--batch", "1", "--state", "0"}).exitCode, 0);
    ASSERT_EQ(tool({"calendar", "add", "2024-03-25", "임시휴무"}).exitCode, 0);
    {
        QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "record-holder");
        other.setDatabaseName(path("Data/Audit.db"));
        ASSERT_TRUE(other.open());
        QSqlQuery hold(other);
        // A writer in the middle of its transaction: readers go on, no one writes.
        ASSERT_TRUE(hold.exec("BEGIN IMMEDIATE"));
        // A change in a transaction of the program's, and one single statement.
        for (const QStringList& args : {QStringList{"set-state", "--batch", "1", "--state", "1"},
                                        QStringList{"calendar", "remove", "2024-03-25"}}) {
            const ProgramRun r = tool(args);
            EXPECT_EQ(r.exitCode, 1) << args.join(' ').toStdString();
            EXPECT_TRUE(r.err.contains("다른 프로그램")) << r.err.toStdString();
        }
        hold.exec("ROLLBACK");
    }
    QSqlDatabase::removeDatabase("record-holder");
    EXPECT_EQ(value("SELECT State FROM Apt1 WHERE AptID = 1").toInt(), 0);
    EXPECT_EQ(value("SELECT count(*) FROM BizCalendar WHERE CalDate = '2024-03-25'").toInt(), 1);
    EXPECT_EQ(rows({"--table", "Apt1"}).size(), 1);
    EXPECT_EQ(rows({"--table", "BizCalendar"}).size(), 1);
}

// A send and a receive are one row each with their counts.
TEST_F(ChangeRecord, SendAndReceiveAreOneRowEachWithTheirCounts)
{
    ASSERT_EQ(tool({"link", "setup", "LoginID=BR0001"}).exitCode, 0);
    ProgramRun r = tool({"--yes", "send"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    r = sim({"--fail-every", "2"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    r = tool({"receive"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();

    const QList<QStringList> all = rows();
    const auto sent = find(all, "송신", "송신");
    ASSERT_TRUE(sent.has_value());
    EXPECT_EQ((*sent)[Key], "Apt_1");
    EXPECT_EQ((*sent)[New], "파일 1개, 배치 1개, 줄 2건, 금액 60000원, 동의 0건");
    const auto received = find(all, "수신", "수신");
    ASSERT_TRUE(received.has_value());
    EXPECT_EQ((*received)[Key], "AB200");
    EXPECT_EQ((*received)[New], "불능 1건, 정상 1건");
    // Nothing of it line by line.
    EXPECT_FALSE(find(all, "상태변경", "Apt2").has_value());
    EXPECT_FALSE(find(all, "수정", "Apt2").has_value());
    EXPECT_FALSE(find(all, "상태변경", "Apt1").has_value());
    EXPECT_FALSE(find(all, "수정", "Apt1").has_value());
}

// A row changed, removed or put in with the sqlite3 tool is named by
// verify (exit 1); the file itself refuses to change a row.
TEST_F(ChangeRecord, VerifyNamesTheFirstRowChangedRemovedOrInserted)
{
    ASSERT_EQ(tool({"set-state", "--batch", "1", "--state", "0"}).exitCode, 0);
    ASSERT_EQ(tool({"set-state", "--batch", "1", "--state", "1"}).exitCode, 0);
    ProgramRun r = tool({"audit", "verify"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "변경 이력이 온전합니다. (3건)\n");
    EXPECT_NE(sqlite3("UPDATE AuditLog SET NewValue = '9' WHERE Seq = 2").left(1), "0");
    EXPECT_NE(sqlite3("DELETE FROM AuditLog WHERE Seq = 2").left(1), "0");

    const QByteArray intact = readFile("Data/Audit.db");
    struct Case
    {
        const char* what;
        QString sql;
        QString named;
    };
    const QList<Case> cases = {
        {"changed", "DROP TRIGGER AuditLog_no_update; UPDATE AuditLog SET NewValue = '9' WHERE Seq = 2",
         "2번 기록(2024-03-15 10:30:00 상태변경 Apt1)이 프로그램 밖에서 바뀌었습니다."},
        {"removed", "DROP TRIGGER AuditLog_no_delete; DELETE FROM AuditLog WHERE Seq = 2",
         "2번 기록이 지워졌습니다."},
        {"last removed", "DROP TRIGGER AuditLog_no_delete; DELETE FROM AuditLog WHERE Seq = 3",
         "3번 기록부터 마지막 기록까지 지워졌습니다."},
        {"inserted",
         "INSERT INTO AuditLog (Time, OsUser, Program, Action, TableName, RowKey, Institution, "
         "Field, OldValue, NewValue, Prev, Hash) VALUES ('2024-03-15 11:00:00', 'x', 'Pelmar', "
         "'수정', 'Apt2', '1/1', '', 'IcheMoney', '1', '2', 'p', 'h')",
         "4번 기록(2024-03-15 11:00:00 수정 Apt2)이 프로그램 밖에서 끼워 넣어졌습니다."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeFile("Data/Audit.db", intact);
        ASSERT_EQ(sqlite3(c.sql), "0");
        r = tool({"audit", "verify"});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.err.contains(c.named)) << r.err.toStdString();
    }
}

// A restore of an older backup keeps the rows written since, and is itself
// recorded, as the backup is.
TEST_F(ChangeRecord, RestoreOfAnOlderBackupKeepsTheNewerRows)
{
    QDir().mkpath(path("bk"));
    ProgramRun r = tool({"backup", "--to", path("bk")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    ASSERT_EQ(tool({"set-state", "--batch", "1", "--state", "0"}).exitCode, 0);
    dm->Close();
    r = tool({"--yes", "restore", "--from", path("bk/FA2403151030.zip")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();

    const QList<QStringList> all = rows();
    EXPECT_TRUE(find(all, "백업", "자료").has_value());
    EXPECT_TRUE(find(all, "상태변경", "Apt1").has_value());
    const auto restored = find(all, "복원", "자료");
    ASSERT_TRUE(restored.has_value());
    EXPECT_EQ((*restored)[Key], path("bk/FA2403151030.zip"));
    EXPECT_TRUE(find(all, "재정리", "자료").has_value());
    EXPECT_EQ(tool({"audit", "verify"}).exitCode, 0);
    // The data itself went back.
    ASSERT_TRUE(dm->Connect(workspace().dataDir));
    EXPECT_EQ(value("SELECT State FROM Apt1 WHERE AptID = 1").toInt(), 1);
}

// A record gone missing, or one that does not read, is said once; the
// work goes on and the new chain begins with the break, which verify names.
TEST_F(ChangeRecord, ALostRecordIsSaidOnceAndTheBreakRecorded)
{
    struct Case
    {
        const char* what;
        std::function<void()> lose;
        QString said;
    };
    const QList<Case> cases = {
        {"missing", [&] { QFile::remove(path("Data/Audit.db")); },
         "변경 이력 파일(Audit.db)이 없어 새 기록을 시작합니다."},
        {"unreadable", [&] { writeFile("Data/Audit.db", "no database"); },
         "변경 이력 파일을 읽을 수 없어 Audit.db.unreadable-20240315-103000(으)로 옮기고"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(tool({"set-state", "--batch", "1", "--state", "0"}).exitCode, 0);
        c.lose();
        ProgramRun r = tool({"set-state", "--batch", "1", "--state", "1"});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_EQ(r.err.count(c.said), 1) << r.err.toStdString();
        const QList<QStringList> all = rows();
        ASSERT_EQ(all.size(), 2);
        EXPECT_EQ(all[0][Action], "기록 단절");
        EXPECT_TRUE(all[0][Old].startsWith(c.said));
        EXPECT_EQ(all[1][Action], "상태변경");
        r = tool({"audit", "verify"});
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_TRUE(r.out.contains("기록 단절: 1번 기록(2024-03-15 10:30:00) " + c.said))
            << r.out.toStdString();
    }
    EXPECT_TRUE(QFile::exists(path("Data/Audit.db.unreadable-20240315-103000")));
}

} // namespace
