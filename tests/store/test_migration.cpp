#include "shell/workspace.h"
#include "store/blank_database.h"
#include "store/database.h"
#include "store/integrity.h"
#include "store/migration.h"
#include "store/schema.h"
#include "store/tdm1.h"
#include "tests/support/workspace_fixture.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <gtest/gtest.h>

using namespace store;

namespace {

QStringList column(QSqlDatabase db, const QString& sql)
{
    QStringList out;
    QSqlQuery q(db);
    EXPECT_TRUE(q.exec(sql)) << sql.toStdString() << " " << q.lastError().text().toStdString();
    while (q.next())
        out.append(q.value(0).toString());
    return out;
}

// Every row of every table, as text, for comparing two states of a file.
QStringList dump(QSqlDatabase db)
{
    QStringList out;
    for (const QString& table : column(db, "SELECT name FROM sqlite_master WHERE type='table' ORDER BY name")) {
        QSqlQuery q(db);
        q.exec("SELECT * FROM " + table + " ORDER BY rowid");
        while (q.next()) {
            QStringList cells;
            for (int i = 0; i < q.record().count(); ++i)
                cells.append(q.record().fieldName(i) + "=" + q.value(i).toString());
            out.append(table + ": " + cells.join('|'));
        }
    }
    out += column(db, "SELECT name || ':' || sql FROM sqlite_master ORDER BY name");
    return out;
}

QByteArray fileHash(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

} // namespace

class Migration : public testing_support::WorkspaceTest
{
protected:
    QString dbFile() const { return TDM1::DatabaseFile(workspace().dataDir); }

    // Statements as another SQLite tool runs them: none of the program's checks.
    void outside(const QStringList& statements)
    {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "outside");
            db.setDatabaseName(dbFile());
            ASSERT_TRUE(db.open());
            QSqlQuery q(db);
            for (const QString& sql : statements)
                ASSERT_TRUE(q.exec(sql)) << sql.toStdString() << " " << q.lastError().text().toStdString();
        }
        QSqlDatabase::removeDatabase("outside");
    }

    // The tables of the oldest layout; with `functionChecks` as an earlier
    // release of this program wrote them, every text size checked by a
    // function only the program has.
    static void createOldest(QSqlDatabase& db, const TableDef& t, bool functionChecks)
    {
        if (!functionChecks) {
            ASSERT_TRUE(CreateTable(db, t, Layout::Oldest));
            return;
        }
        QStringList columns;
        for (const FieldDef& f : t.fields) {
            if (f.addedByMigration)
                continue;
            QString sql = ColumnSql(t.name, f);
            if (f.type == FieldType::String)
                sql += QString(" CONSTRAINT %1_%2_len CHECK (%2 IS NULL OR cp949_len(%2) <= %3)")
                           .arg(t.name, f.name)
                           .arg(f.size);
            columns.append(sql);
        }
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec("CREATE TABLE " + t.name + " (" + columns.join(", ") + ")"));
        for (const QString& sql : CreateIndexSql(t, Layout::Oldest))
            ASSERT_TRUE(q.exec(sql)) << sql.toStdString();
    }

    // A data directory as the oldest release left it, with real rows.
    void makeOldest(bool withConsents = false, bool functionChecks = false)
    {
        QDir().mkpath(workspace().dataDir);
        ASSERT_TRUE(OpenDatabase("legacy", dbFile(), false).ok());
        {
            QSqlDatabase db = QSqlDatabase::database("legacy");
            for (const TableDef& t : Tables())
                if (!t.createdByMigration)
                    createOldest(db, t, functionChecks);
            QSqlQuery q(db);
            const char* rows[] = {
                "INSERT INTO Apt1 (AptID, GiganID, IcheDate, State, TotNo, TotMoney) VALUES (1, 'A0000001', '2008-11-25', 3, 2, 150000)",
                "INSERT INTO Apt1 (AptID, GiganID, IcheDate, State) VALUES (7, 'A0000002', '2008-12-25', 1)",
                "INSERT INTO Apt2 (AptID, Dong, Ho, BankCode, BankNo, IcheMoney, IcheYebu, ResultID, Bigo) VALUES (1, '101', '1201', '11', '123-45-678901', 100000, 'Y', '00', '홍길동')",
                "INSERT INTO Apt2 (AptID, Dong, Ho, BankCode, BankNo, IcheMoney, IcheYebu, ResultID) VALUES (1, '102', '303', '04', '1234567890', 50000, 'X', '10')",
                "INSERT INTO GroupAp1 (GroupName, AptID, GiganID) VALUES ('정기', 1, 'A0000001')",
                "INSERT INTO GroupAp2 (AptID, Dong, Ho, ResultID) VALUES (1, '101', '1201', '99')",
                "INSERT INTO UserCode (Name, APID, APIN, APOUT) VALUES ('푸른마을아파트', 'A0000001', 'AB100', 'AB200')",
                "INSERT INTO UserCode (Name, APID) VALUES ('햇살아파트', 'A0000002')",
                "INSERT INTO BankCode (Id, Name) VALUES ('04', '국민은행')",
                "INSERT INTO BankCode (Id, Name) VALUES ('11', 'Tervo중앙회')",
                "INSERT INTO BankCode (Id, Name) VALUES ('13', 'Tervo회원조합')",
                "INSERT INTO CodeP (id, Name) VALUES ('1000', '잔액부족')",
                "INSERT INTO CodeS (id, Name) VALUES ('Y', '정상')",
            };
            for (const char* sql : rows)
                ASSERT_TRUE(q.exec(QString::fromUtf8(sql))) << sql << " " << q.lastError().text().toStdString();
            if (withConsents) {
                // A release in between: consents without the display number.
                createOldest(db, *FindTable("TongRegister"), functionChecks);
                const char* consents[] = {
                    "INSERT INTO TongRegister (Giganid, Bankcd, Bankno, NapbuNO, Status) VALUES ('A0000001', '11', '123-45-678901234', 'P1', 0)",
                    "INSERT INTO TongRegister (Giganid, Bankcd, Bankno, NapbuNO, Status) VALUES ('A0000001', '04', '1234-56', 'P2', 2)",
                    "INSERT INTO TongRegister (Giganid, Bankcd, Bankno, NapbuNO, Status) VALUES ('A0000001', '04', '1234567890123456', 'P3', 2)",
                };
                for (const char* sql : consents)
                    ASSERT_TRUE(q.exec(sql)) << q.lastError().text().toStdString();
            }
        }
        CloseDatabase("legacy");
    }

    QSqlDatabase prepared(TDM1& dm)
    {
        EXPECT_TRUE(dm.PrepareDatabase(workspace().dataDir));
        return dm.db();
    }
};

TEST_F(Migration, OldestLayoutComesOutCurrentWithEveryRow)
{
    makeOldest();
    TDM1 dm(ui, workspace());
    QSqlDatabase db = prepared(dm);
    EXPECT_TRUE(ui.messages().isEmpty());

    for (const TableDef& t : Tables()) {
        ASSERT_TRUE(TableExists(db, t.name)) << t.name.toStdString();
        for (const FieldDef& f : t.fields)
            EXPECT_TRUE(ColumnExists(db, t.name, f.name)) << t.name.toStdString() << "." << f.name.toStdString();
        for (const IndexDef& ix : t.indexes)
            EXPECT_EQ(column(db, "SELECT name FROM sqlite_master WHERE type='index' AND name='" + ix.name + "'").size(), 1)
                << ix.name.toStdString();
    }
    EXPECT_EQ(column(db, "SELECT GiganID10 FROM Apt1 ORDER BY AptID"), (QStringList{"A0000001", "A0000002"}));
    EXPECT_EQ(column(db, "SELECT GiganID10 FROM GroupAp1"), QStringList{"A0000001"});
    EXPECT_EQ(column(db, "SELECT APID10 FROM UserCode ORDER BY Rec"), (QStringList{"A0000001", "A0000002"}));
    EXPECT_EQ(column(db, "SELECT TREGISTERIN || TREGISTEROUT || '/' || AUTHSENDTYPE FROM UserCode"),
              (QStringList{"NA200NA200/", "NA200NA200/"}));
    EXPECT_EQ(column(db, "SELECT ResultID4 FROM Apt2 ORDER BY Apt2ID"), (QStringList{"00", "10"}));
    EXPECT_EQ(column(db, "SELECT ResultID4 FROM GroupAp2"), QStringList{"99"});
    EXPECT_EQ(column(db, "SELECT Id || MONEYLAW || JUMINCHECK || SENDVERSION FROM BankCode ORDER BY Id"),
              (QStringList{"04000", "11111", "13111"}));
    // CodeP had rows but no "0000": emptied and seeded with the 43.
    EXPECT_EQ(column(db, "SELECT count(*) FROM CodeP"), QStringList{"43"});
    EXPECT_EQ(column(db, "SELECT Name FROM CodeP WHERE id='1007'"), QStringList{" "});
    EXPECT_EQ(column(db, "SELECT NAME || LEN || FIELD1S || FIELD10N FROM TongRegisterConv"),
              QStringList{QStringLiteral("출금동의011")});
    EXPECT_EQ(column(db, "SELECT Bigo FROM Apt2 WHERE Dong='101'"), QStringList{QStringLiteral("홍길동")});
    EXPECT_EQ(column(db, "SELECT count(*) FROM Apt2"), QStringList{"2"});
    // Every lookup of an institution passes an APID10 value.
    EXPECT_EQ(column(db, "SELECT name FROM pragma_index_info('APIDIX')"), QStringList{"APID10"});

    EXPECT_TRUE(dm.OpenTables());
    EXPECT_EQ(dm.BankName("04"), QStringLiteral("국민은행"));
    EXPECT_EQ(dm.ResultText("0000"), QStringLiteral("정상처리"));
    EXPECT_EQ(dm.OutcomeText("Y"), QStringLiteral("정상"));
    EXPECT_EQ(dm.BankName("99"), "");
    EXPECT_EQ(dm.NextBatchNumber(), 8);
    EXPECT_EQ(dm.NextGroupNumber(), 2);
}

TEST_F(Migration, SecondRunChangesNothing)
{
    makeOldest(true);
    TDM1 dm(ui, workspace());
    const QStringList first = dump(prepared(dm));
    const QStringList second = dump(prepared(dm));
    EXPECT_EQ(first, second);
}

TEST_F(Migration, ConsentsTakeTheInstitutionCodeAsRegistered)
{
    makeOldest(true);
    {
        ASSERT_TRUE(OpenDatabase("x", dbFile()).ok());
        QSqlQuery q(QSqlDatabase::database("x"));
        // Imported as typed: one new consent, one the register already holds
        // under the registered code (left alone), one of no institution.
        ASSERT_TRUE(q.exec("INSERT INTO TongRegister (Giganid, Bankcd, Bankno, NapbuNO, Status) "
                           "VALUES ('a0000001', '04', '777', 'P4', 1), "
                           "('a0000001', '11', '123-45-678901234', 'P1', 0), "
                           "('x9', '04', '1', 'P5', 0)"));
    }
    CloseDatabase("x");
    TDM1 dm(ui, workspace());
    QSqlDatabase db = prepared(dm);
    const QStringList repaired = {"A0000001/P1", "a0000001/P1", "A0000001/P2",
                                  "A0000001/P3", "A0000001/P4", "x9/P5"};
    const QString sql =
        "SELECT Giganid || '/' || NapbuNO FROM TongRegister ORDER BY NapbuNO, Giganid";
    EXPECT_EQ(column(db, sql), repaired);
    EXPECT_EQ(column(prepared(dm), sql), repaired);
}

TEST_F(Migration, ResultCodesWithZeroRowAreLeftAlone)
{
    makeOldest();
    {
        ASSERT_TRUE(OpenDatabase("x", dbFile()).ok());
        QSqlQuery q(QSqlDatabase::database("x"));
        ASSERT_TRUE(q.exec("INSERT INTO CodeP (id, Name) VALUES ('0000', 'ok')"));
    }
    CloseDatabase("x");
    TDM1 dm(ui, workspace());
    EXPECT_EQ(column(prepared(dm), "SELECT id FROM CodeP ORDER BY id"), (QStringList{"0000", "1000"}));
}

TEST_F(Migration, OldRowsBeyondTodaysLimitsDoNotStopIt)
{
    makeOldest(true);
    {
        // A consent an older release (or another tool) wrote with a name
        // longer than the field allows today.
        outside({"INSERT INTO TongRegister (Giganid, Bankcd, Bankno, NapbuNO, NAME) "
                 "VALUES ('A0000001', '04', '55-66', 'P0', '" + QString(30, 'n') + "')"});
    }
    TDM1 dm(ui, workspace());
    QSqlDatabase db = prepared(dm);
    EXPECT_EQ(column(db, "SELECT NapbuNO || '=' || DisplayBankno FROM TongRegister ORDER BY NapbuNO"),
              (QStringList{"P0=00000000005566", "P1=12345678901234", "P2=00000000123456", "P3=12345678901234"}));
}

TEST_F(Migration, FunctionChecksOfAnEarlierReleaseGoAndEveryRowStays)
{
    makeOldest(true, true);
    {
        // The last line was deleted: its number must not be handed out again.
        ASSERT_TRUE(OpenDatabase("x", dbFile()).ok());
        QSqlQuery q(QSqlDatabase::database("x"));
        ASSERT_TRUE(q.exec("INSERT INTO Apt2 (Apt2ID, AptID, Dong) VALUES (40, 1, '999')"));
        ASSERT_TRUE(q.exec("DELETE FROM Apt2 WHERE Apt2ID = 40"));
    }
    CloseDatabase("x");
    TDM1 dm(ui, workspace());
    QSqlDatabase db = prepared(dm);
    EXPECT_TRUE(ui.messages().isEmpty());
    EXPECT_EQ(column(db, "SELECT name FROM sqlite_master WHERE sql LIKE '%cp949_len%'"), QStringList{});
    EXPECT_TRUE(CheckLayout(db).isEmpty()) << CheckLayout(db).join('\n').toStdString();
    EXPECT_EQ(column(db, "SELECT name FROM pragma_index_info('APIDIX')"), QStringList{"APID10"});
    EXPECT_EQ(column(db, "SELECT Apt2ID || Dong || ifnull(Bigo, '') || ResultID4 FROM Apt2 ORDER BY rowid"),
              (QStringList{QStringLiteral("1101홍길동00"), "210210"}));
    EXPECT_EQ(column(db, "SELECT seq FROM sqlite_sequence WHERE name = 'Apt2'"), QStringList{"40"});
    EXPECT_EQ(column(db, "SELECT Name || APID10 FROM UserCode ORDER BY rowid"),
              (QStringList{QStringLiteral("푸른마을아파트A0000001"), QStringLiteral("햇살아파트A0000002")}));
    EXPECT_EQ(column(db, "SELECT NapbuNO || DisplayBankno FROM TongRegister ORDER BY rowid"),
              (QStringList{"P112345678901234", "P200000000123456", "P312345678901234"}));

    // The program's own writes keep their limits, on rebuilt and new tables.
    QSqlQuery q(db);
    EXPECT_FALSE(q.exec("UPDATE Apt2 SET Dong = '가나다' WHERE Dong = '101'"));
    EXPECT_EQ(WriteErrorMessage(q.lastError()).toStdString(), "Dong 항목의 길이가 너무 깁니다. (최대 4 바이트)");
    EXPECT_FALSE(q.exec("INSERT INTO Evidential (BANKCD, CUSTNO, CMSSERIALNO, ACCTNO) VALUES ('04', 'C', 'S', '" +
                        QString(19, '1') + "')"));
    EXPECT_EQ(WriteErrorMessage(q.lastError()).toStdString(), "ACCTNO 항목의 길이가 너무 깁니다. (최대 18 바이트)");
    EXPECT_TRUE(q.exec("UPDATE UserCode SET APID10 = 'A000000001' WHERE APID10 = 'A0000001'"));
    dm.Close();

    // Any SQLite tool writes the file.
    outside({"UPDATE Apt1 SET Bigo = 'repaired' WHERE AptID = 1", "UPDATE Apt2 SET Kita = 'x' WHERE Apt2ID = 2",
             "INSERT INTO Apt2 (AptID, Dong) VALUES (1, '103')"});
}

TEST_F(Migration, RefusedDisplayBanknoRowIsSkippedAndTheRestFilled)
{
    QDir().mkpath(workspace().dataDir);
    {
        TDM1 dm(ui, workspace());
        QSqlDatabase db = prepared(dm);
        QSqlQuery q(db);
        for (const char* napbu : {"P1", "P2", "P3"})
            ASSERT_TRUE(q.exec(QString("INSERT INTO TongRegister (Giganid, Bankcd, Bankno, NapbuNO, DisplayBankno) "
                                       "VALUES ('A1', '04', '12-34', '%1', '')").arg(napbu)));
        ASSERT_TRUE(q.exec("CREATE TRIGGER refuse BEFORE UPDATE ON TongRegister WHEN OLD.NapbuNO = 'P2' "
                           "BEGIN SELECT RAISE(ABORT, 'row refused'); END"));
    }
    TDM1 dm(ui, workspace());
    QSqlDatabase db = prepared(dm);
    EXPECT_EQ(column(db, "SELECT NapbuNO || '=' || DisplayBankno FROM TongRegister ORDER BY NapbuNO"),
              (QStringList{"P1=00000000001234", "P2=", "P3=00000000001234"}));
    const QString log = QString::fromUtf8(readFile("202403.log"));
    EXPECT_TRUE(readFile("202403.log").contains("A1/P2")) << log.toStdString();
    EXPECT_TRUE(ui.messages().isEmpty());
}

TEST_F(Migration, FailureLeavesFileAsItWas)
{
    makeOldest(true);
    {
        ASSERT_TRUE(OpenDatabase("x", dbFile()).ok());
        QSqlQuery q(QSqlDatabase::database("x"));
        // The last step fails: every earlier step must be undone with it.
        ASSERT_TRUE(q.exec("CREATE TRIGGER refuse BEFORE UPDATE ON GroupAp2 BEGIN SELECT RAISE(ABORT, 'refused'); END"));
    }
    CloseDatabase("x");
    const QByteArray before = fileHash(dbFile());
    TDM1 dm(ui, workspace());
    EXPECT_FALSE(dm.PrepareDatabase(workspace().dataDir));
    dm.Close();
    EXPECT_EQ(fileHash(dbFile()), before);
    ASSERT_EQ(ui.texts("error").size(), 1);
    EXPECT_TRUE(ui.texts("error")[0].contains("refused"));
}

TEST_F(Migration, EmptyDataFolderFilledFromBlank)
{
    TDM1 dm(ui, workspace());
    QSqlDatabase db = prepared(dm);
    EXPECT_EQ(column(db, "SELECT count(*) FROM CodeP"), QStringList{"43"});
    EXPECT_EQ(dm.NextBatchNumber(), 1);
    EXPECT_TRUE(dm.OpenTables());
}

TEST_F(Migration, BadFilesAreReportedAndUntouched)
{
    QDir().mkpath(workspace().dataDir);
    writeFile("Data/Pelmar.db", QByteArray("this is no database, just some text that a user put here\n").repeated(100));
    const QByteArray before = fileHash(dbFile());
    TDM1 dm(ui, workspace());
    EXPECT_FALSE(dm.PrepareDatabase(workspace().dataDir));
    EXPECT_FALSE(dm.OpenTables());
    dm.Close();
    EXPECT_EQ(fileHash(dbFile()), before);
    const QStringList errors = ui.texts("error");
    ASSERT_GE(errors.size(), 2);
    EXPECT_TRUE(errors[0].startsWith(QStringLiteral("자료 파일이 손상되었거나")));
    EXPECT_EQ(errors.last(), TDM1::kUnusableMessage);
}

TEST_F(Migration, LockedFileIsReported)
{
    makeOldest();
    ASSERT_TRUE(OpenDatabase("holder", dbFile()).ok());
    QSqlQuery hold(QSqlDatabase::database("holder"));
    ASSERT_TRUE(hold.exec("BEGIN EXCLUSIVE"));
    {
        TDM1 dm(ui, workspace());
        EXPECT_FALSE(dm.PrepareDatabase(workspace().dataDir));
    }
    hold.exec("ROLLBACK");
    hold.finish();
    CloseDatabase("holder");
    ASSERT_EQ(ui.texts("error").size(), 1);
    EXPECT_TRUE(ui.texts("error")[0].startsWith(QStringLiteral("자료 파일을 다른 프로그램이 사용하고")));
}

TEST_F(Migration, WritesAreCheckedByTheEngine)
{
    TDM1 dm(ui, workspace());
    QSqlDatabase db = prepared(dm);
    QSqlQuery q(db);
    struct Case
    {
        QString sql;
        QString message; // empty: accepted
    } cases[] = {
        {QStringLiteral("INSERT INTO Apt2 (AptID, Dong) VALUES (1, '가나')"), ""},
        {QStringLiteral("INSERT INTO Apt2 (AptID, Dong) VALUES (1, '가나다')"),
         QStringLiteral("Dong 항목의 길이가 너무 깁니다. (최대 4 바이트)")},
        {QStringLiteral("INSERT INTO Apt2 (AptID, Dong) VALUES (1, '12345')"),
         QStringLiteral("Dong 항목의 길이가 너무 깁니다. (최대 4 바이트)")},
        {QStringLiteral("INSERT INTO BankCode (Id, Name) VALUES ('04', 'again')"), QStringLiteral("코드가 중복됩니다.")},
        {QStringLiteral("INSERT INTO BankCode (Id, Name) VALUES ('', 'empty')"), QStringLiteral("필수항목이 누락되었습니다.")},
        {QStringLiteral("INSERT INTO BankCode (Name) VALUES ('none')"), QStringLiteral("필수항목이 누락되었습니다.")},
        {QStringLiteral("UPDATE UserCode SET APBCODE = '123456789'"), ""}, // no rows: nothing to refuse
    };
    for (const Case& c : cases) {
        const bool ok = q.exec(c.sql);
        EXPECT_EQ(ok, c.message.isEmpty()) << c.sql.toStdString();
        if (!ok) {
            EXPECT_EQ(WriteErrorMessage(q.lastError()).toStdString(), c.message.toStdString());
        }
    }
    EXPECT_EQ(column(db, "SELECT count(*) FROM Apt2"), QStringList{"1"});
    EXPECT_EQ(DisplayBankno("123-45-678901234").toStdString(), "12345678901234");
    EXPECT_EQ(DisplayBankno("1234-56").toStdString(), "00000000123456");
}

// A write refused for the file's or the disk's sake is told as such, never
// as a missing field; what nobody expected shows the engine's own text.
TEST_F(Migration, FaultsOfTheFileAreNotMissingFields)
{
    TDM1 dm(ui, workspace());
    QSqlDatabase db = prepared(dm);
    QSqlQuery q(db);
    ASSERT_TRUE(q.exec("CREATE TABLE Scratch (x)"));
    ASSERT_TRUE(q.exec("PRAGMA page_count") && q.next());
    const QString full = "PRAGMA max_page_count = " + q.value(0).toString();
    q.finish();
    const struct
    {
        QString before;
        QString sql;
        QString message;
        QString after;
    } cases[] = {
        {"PRAGMA query_only = ON", "INSERT INTO Scratch VALUES (1)",
         QStringLiteral("자료 파일이나 자료 폴더에 쓸 수 없습니다. (읽기 전용)"),
         "PRAGMA query_only = OFF"},
        {full, "INSERT INTO Scratch VALUES (zeroblob(100000))",
         QStringLiteral("디스크 공간이 부족합니다."), "PRAGMA max_page_count = 1073741823"},
        {"", "INSERT INTO Nowhere VALUES (1)", "no such table: Nowhere", ""},
    };
    for (const auto& c : cases) {
        if (!c.before.isEmpty()) {
            ASSERT_TRUE(q.exec(c.before)) << c.before.toStdString();
        }
        EXPECT_FALSE(q.exec(c.sql)) << c.sql.toStdString();
        EXPECT_EQ(WriteErrorMessage(q.lastError()).toStdString(), c.message.toStdString());
        if (!c.after.isEmpty()) {
            ASSERT_TRUE(q.exec(c.after)) << c.after.toStdString();
        }
    }
}

// A look-up of a batch's lines must be answered by the table's index, not by
// reading every line of the month, whatever collation the index has.
TEST(IndexedMatch, EveryIndexedColumnIsFoundThroughItsIndex)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "plans");
        db.setDatabaseName(":memory:");
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        int checked = 0;
        for (const TableDef& t : Tables()) {
            ASSERT_TRUE(q.exec(CreateTableSql(t, Layout::Current))) << t.name.toStdString();
            for (const QString& sql : CreateIndexSql(t, Layout::Current))
                ASSERT_TRUE(q.exec(sql)) << sql.toStdString();
            for (const IndexDef& index : t.indexes) {
                const QString where = IndexedMatch(t.name, index.fields.first(), "?");
                ASSERT_TRUE(
                    q.prepare("EXPLAIN QUERY PLAN SELECT * FROM " + t.name + " WHERE " + where));
                q.addBindValue(1);
                ASSERT_TRUE(q.exec()) << (where + " " + q.lastError().text()).toStdString();
                QString plan;
                while (q.next())
                    plan += q.value(3).toString();
                EXPECT_TRUE(plan.contains("INDEX") || plan.contains("PRIMARY KEY"))
                    << (t.name + ": " + where + ": " + plan).toStdString();
                ++checked;
            }
        }
        EXPECT_GT(checked, 10);
    }
    QSqlDatabase::removeDatabase("plans");
}

TEST_F(Migration, FollowUpRulesAreSeededOnceAndTheBranchsEditsStay)
{
    const QStringList seeded = {"0107:2:", "0204:2:", "1000:1:2", "1001:2:", "1002:1:2",
                                "1003:2:", "1012:2:", "1013:2:", "1014:2:", "2002:2:",
                                "2006:2:", "2007:2:", "2008:2:"};
    const QString rules = "SELECT ResultCode || ':' || Action || ':' || Coalesce(Cap, '') FROM "
                          "FollowUpRule ORDER BY ResultCode";
    {
        // A new installation, from the blank database.
        TDM1 fresh(ui, workspace());
        EXPECT_EQ(column(prepared(fresh), rules), seeded);
    }
    QFile::remove(dbFile());
    makeOldest();
    TDM1 dm(ui, workspace());
    QSqlDatabase db = prepared(dm);
    EXPECT_EQ(column(db, rules), seeded);
    EXPECT_EQ(column(db, "SELECT count(*) FROM RepresentedLine"), QStringList{"0"});

    outside({"DELETE FROM FollowUpRule WHERE ResultCode = '1002'",
             "UPDATE FollowUpRule SET Cap = 5 WHERE ResultCode = '1000'"});
    QStringList edited = seeded;
    edited.removeAll("1002:1:2");
    edited.replace(edited.indexOf("1000:1:2"), "1000:1:5");
    EXPECT_EQ(column(prepared(dm), rules), edited);
}
