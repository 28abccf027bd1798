// The demo installation as a user gets it: pelmar-tool make-demo into a
// new folder, then the database, the evidence files and the mailbox.

#include "calendar/holidays.h"
#include "demo/demo_install.h"
#include "shell/codec.h"
#include "store/account_numbers.h"
#include "store/database.h"
#include "store/migration.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct ProgramRun
{
    int exitCode = -1;
    QString out;
    QString err;
};

class MakeDemo : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_root = new QTemporaryDir;
        s_first = make("first");
        ASSERT_TRUE(store::OpenDatabase("DemoFirst", dir("first") + "Data/Pelmar.db").ok());
    }
    static void TearDownTestSuite()
    {
        store::CloseDatabase("DemoFirst");
        delete s_root;
        s_root = nullptr;
    }

    static QString dir(const QString& name) { return s_root->path() + "/" + name + "/"; }
    static ProgramRun tool(const QString& home, const QStringList& args,
                           const QString& now = "2024-03-15 10:30:00")
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("PELMAR_NOW", now);
        env.insert("PELMAR_REGISTRY_DIR", s_root->path() + "/registry");
        env.remove("PELMAR_HOME");
        p.setProcessEnvironment(env);
        p.start(PELMAR_TOOL, QStringList{"--home", home, "--quiet"} + args);
        EXPECT_TRUE(p.waitForFinished(180000));
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }
    static ProgramRun make(const QString& name, const QStringList& args = {})
    {
        return tool(dir(name), QStringList{"make-demo"} + args);
    }

    static QSqlDatabase db() { return QSqlDatabase::database("DemoFirst", false); }
    static QString dump(QSqlDatabase db, const QString& sql)
    {
        QSqlQuery q(db);
        EXPECT_TRUE(q.exec(sql)) << sql.toStdString();
        QStringList rows;
        while (q.next()) {
            QStringList cols;
            for (int i = 0; i < q.record().count(); ++i)
                cols.append(q.value(i).toString());
            rows.append(cols.join('|'));
        }
        return rows.join('\n');
    }
    static QString dump(const QString& sql) { return dump(db(), sql); }
    static QStringList column(const QString& sql)
    {
        return dump(sql).split('\n', Qt::SkipEmptyParts);
    }

    // Every table, row by row, and every file a demo leaves behind.
    static QString everything(const QString& name)
    {
        const QString connection = "Demo" + name;
        EXPECT_TRUE(store::OpenDatabase(connection, dir(name) + "Data/Pelmar.db").ok());
        QSqlDatabase d = QSqlDatabase::database(connection, false);
        QString all;
        // The change record's chain is named at random: each installation's own.
        for (const QString& table : dump(d, "SELECT name FROM sqlite_master WHERE type = 'table' "
                                            "AND name <> 'AuditChain' ORDER BY name")
                                        .split('\n'))
            all += table + "\n" + dump(d, "SELECT * FROM \"" + table + "\" ORDER BY rowid") + "\n";
        store::CloseDatabase(connection);
        for (const char* sub : {"AUTHFILE", "Mailbox/Inbox", "Mailbox/Answered"}) {
            QDir folder(dir(name) + sub);
            for (const QString& file : folder.entryList(QDir::Files, QDir::Name)) {
                QFile f(folder.filePath(file));
                f.open(QIODevice::ReadOnly);
                all += QString(sub) + "/" + file + " " + QString::number(qHash(f.readAll())) + "\n";
            }
        }
        return all;
    }

    static QTemporaryDir* s_root;
    static ProgramRun s_first;
};

QTemporaryDir* MakeDemo::s_root = nullptr;
ProgramRun MakeDemo::s_first;

TEST_F(MakeDemo, MakesAnInstallationThatPassesTheCheck)
{
    ASSERT_EQ(s_first.exitCode, 0) << s_first.err.toStdString();
    EXPECT_TRUE(s_first.out.contains("institutions 3, batches 12")) << s_first.out.toStdString();
    const ProgramRun check = tool(dir("first"), {"check"});
    EXPECT_EQ(check.exitCode, 0) << check.err.toStdString();
}

TEST_F(MakeDemo, InstitutionsCarryFileCodesAndEveryEvidenceClass)
{
    EXPECT_EQ(dump("SELECT APID10, APOUT, APIN, TREGISTEROUT, TREGISTERIN, length(APBCODE), "
                   "AUTHSENDTYPE FROM UserCode ORDER BY APID10"),
              QStringLiteral("AP23010001|HB101|HB201|NA200|NA200|7|제출\n"
                             "AP23010002|PS102|PS202|NA200|NA200|7|일부면제\n"
                             "AP23010003|SS103|SS203|NA200|NA200|7|면제"));
    for (const QString& account : column("SELECT BankNoApt FROM UserCode")) {
        EXPECT_TRUE(account.contains('-')) << account.toStdString();
        EXPECT_TRUE(store::IsValidAccount("12", store::StripHyphens(account)))
            << account.toStdString();
    }
}

TEST_F(MakeDemo, BatchesInEveryStateOnBusinessDaysOverFourMonths)
{
    EXPECT_EQ(dump("SELECT State, Count(*) FROM Apt1 GROUP BY State ORDER BY State"),
              "0|1\n1|2\n2|1\n3|8");
    QSet<QString> months;
    for (const QString& row : column("SELECT IcheDate, State, IcheDate = IcheEDate FROM Apt1")) {
        const QStringList f = row.split('|');
        const QDate date = QDate::fromString(f[0], Qt::ISODate);
        EXPECT_FALSE(calendar::IsHoliday(date)) << row.toStdString();
        EXPECT_EQ(f[2], "1");
        // Waiting batches lie ahead within the 20 days a batch may, answered ones behind.
        if (f[1] == "1") {
            EXPECT_GT(date, QDate(2024, 3, 15));
            EXPECT_LE(date, QDate(2024, 4, 4));
        } else if (f[1] == "3") {
            EXPECT_LT(date, QDate(2024, 3, 15));
        }
        months.insert(f[0].left(7));
    }
    EXPECT_EQ(months.size(), 4);
    // Numbered in the order they were made.
    EXPECT_EQ(dump("SELECT Count(*) FROM Apt1 a JOIN Apt1 b ON b.AptID = a.AptID + 1 "
                   "WHERE b.IcheDate < a.IcheDate"),
              "0");
    EXPECT_EQ(dump("SELECT Count(*) FROM Apt1 WHERE State >= 2 AND (SendDate IS NULL OR Stime IS "
                   "NULL OR SendDate >= IcheDate)"),
              "0");
    EXPECT_EQ(dump("SELECT Count(*) FROM Apt1 WHERE State = 3 AND (Rdate IS NULL OR Rdate < "
                   "IcheDate OR Rdate > '2024-03-15')"),
              "0");
}

TEST_F(MakeDemo, BatchTotalsAreThoseOfTheirLinesByBankGroup)
{
    // Answered batches count what was collected in each group, the others what was requested.
    const QString mismatches = dump(R"(
        SELECT b.AptID FROM Apt1 b JOIN (
            SELECT AptID, Count(*) n, Sum(IcheMoney) won,
                   Sum(c AND BankCode BETWEEN '10' AND '11') jn,
                   Sum(CASE WHEN c AND BankCode BETWEEN '10' AND '11' THEN IcheMoney ELSE 0 END) jw,
                   Sum(c AND BankCode BETWEEN '12' AND '15') mn,
                   Sum(CASE WHEN c AND BankCode BETWEEN '12' AND '15' THEN IcheMoney ELSE 0 END) mw,
                   Sum(c AND (BankCode < '10' OR BankCode > '15')) sn,
                   Sum(CASE WHEN c AND (BankCode < '10' OR BankCode > '15') THEN IcheMoney ELSE 0 END) sw
            FROM (SELECT *, (State < 3 OR IcheYebu = 'Y') c FROM Apt2) GROUP BY AptID) l
        ON l.AptID = b.AptID
        WHERE b.TotNo <> l.n OR b.TotMoney <> l.won OR b.E1TotNo <> l.n OR b.E1TotMon <> l.won
           OR b.E1JunNo <> l.jn OR b.E1JunMon <> l.jw OR b.E1JoNo <> l.mn OR b.E1JoMon <> l.mw
           OR b.E1SucNo <> l.sn OR b.E1SucMon <> l.sw)");
    EXPECT_EQ(mismatches, "");
    EXPECT_EQ(dump("SELECT Count(*) FROM Apt1 WHERE TotNo = 0"), "0");
    // Some lines of the answered batches failed, so the failed figures are not empty.
    EXPECT_EQ(dump("SELECT Count(*) FROM Apt1 WHERE State = 3 AND E1TotNo - E1JunNo - E1JoNo - "
                   "E1SucNo <= 0"),
              "0");
}

TEST_F(MakeDemo, LinesAreKeptAsTheLinesScreenSavesThem)
{
    EXPECT_GT(dump("SELECT Count(*) FROM Apt2").toInt(), 2500);
    EXPECT_EQ(dump("SELECT Count(*) FROM Apt2 WHERE NapbuNo <> Dong || Ho OR DongInt <> CAST(Dong "
                   "AS INTEGER) OR HoInt <> CAST(Ho AS INTEGER) OR IcheMoney <= 0 OR "
                   "IcheMoney > 5000000 OR instr(BankNo, '-') > 0"),
              "0");
    // Buildings with letters sort as 0.
    EXPECT_GT(dump("SELECT Count(*) FROM Apt2 WHERE DongInt = 0 AND Dong = 'A'").toInt(), 0);
    EXPECT_EQ(dump("SELECT State, IcheYebu, ResultID4 IS NULL, Count(*) > 0 FROM Apt2 "
                   "GROUP BY State, IcheYebu, ResultID4 IS NULL ORDER BY State, IcheYebu"),
              "0|Z|1|1\n1|Z|1|1\n2|Z|1|1\n3|X|0|1\n3|Y|0|1");
    EXPECT_EQ(dump("SELECT Count(*) FROM Apt2 a JOIN Apt1 b ON a.AptID = b.AptID WHERE a.State <> "
                   "b.State OR a.IcheDate <> b.IcheDate"),
              "0");
    EXPECT_EQ(dump("SELECT Count(*) FROM Apt2 WHERE IcheYebu = 'Y' AND ResultID4 <> '0000'"), "0");
    EXPECT_EQ(dump("SELECT Count(*) FROM Apt2 WHERE ResultID4 IS NOT NULL AND ResultID4 NOT IN "
                   "(SELECT id FROM CodeP)"),
              "0");
    // Sent lines are numbered 1, 2, 3… within their batch, as the request file numbers them.
    EXPECT_EQ(
        dump("SELECT Count(*) FROM (SELECT AptID, Min(DataNo) lo, Max(DataNo) hi, Count(*) n, "
             "Count(DISTINCT DataNo) d FROM Apt2 WHERE State >= 2 GROUP BY AptID) "
             "WHERE lo <> 1 OR hi <> n OR d <> n"),
        "0");
}

TEST_F(MakeDemo, NamesAndBanksLookReal)
{
    const QStringList names =
        column("SELECT DISTINCT Bigo FROM Apt2 UNION SELECT DISTINCT Kita FROM Apt2");
    EXPECT_GT(names.size(), 500);
    for (const QString& name : names) {
        EXPECT_EQ(name.size(), 3) << name.toStdString();
        EXPECT_LE(shell::Cp949Length(name), 12) << name.toStdString();
        for (const QChar c : name)
            EXPECT_TRUE(c.unicode() >= 0xAC00 && c.unicode() <= 0xD7A3) << name.toStdString();
    }
    EXPECT_EQ(dump("SELECT Count(*) FROM Apt2 WHERE BankCode NOT IN (SELECT Id FROM BankCode)"),
              "0");
    EXPECT_EQ(dump("SELECT BankCode BETWEEN '10' AND '11', BankCode BETWEEN '12' AND '15', "
                   "Count(DISTINCT BankCode) > 1 OR BankCode BETWEEN '10' AND '11' FROM Apt2 "
                   "GROUP BY 1, 2 ORDER BY 1, 2"),
              "0|0|1\n0|1|1\n1|0|1");
}

TEST_F(MakeDemo, EveryAccountIsValidForItsBank)
{
    int checked = 0;
    for (const QString& sql : {QString("SELECT DISTINCT BankCode, BankNo FROM Apt2"),
                               QString("SELECT Bankcd, Bankno FROM TongRegister")}) {
        for (const QString& row : column(sql)) {
            const QStringList f = row.split('|');
            EXPECT_TRUE(store::IsValidAccount(f[0], f[1])) << row.toStdString();
            ++checked;
        }
    }
    EXPECT_GT(checked, 1000);
}

TEST_F(MakeDemo, ConsentsInEveryStatusWithTheirDates)
{
    EXPECT_EQ(dump("SELECT DISTINCT Status FROM TongRegister ORDER BY Status"),
              "0\n1\n2\n3\n4\n5\n6\n7");
    for (const QString& row : column("SELECT Bankno, DisplayBankno FROM TongRegister")) {
        const QStringList f = row.split('|');
        EXPECT_EQ(f[1], store::DisplayBankno(f[0]));
    }
    // Answered consents carry the bank's verdict; pending ones none.
    EXPECT_EQ(dump("SELECT Status, ResultYN, ResultCD = 0, Receivedate IS NOT NULL FROM "
                   "TongRegister GROUP BY 1, 2, 3, 4 ORDER BY 1"),
              "0|||0\n1|||0\n2|1|1|1\n3|0|0|1\n4|||0\n5|||0\n6|1|1|1\n7|0|0|1");
    EXPECT_EQ(dump("SELECT Count(*) FROM TongRegister WHERE Receivedate < Senddate OR "
                   "Senddate < RequestDate OR length(JuminNO) <> 6 OR CheckJumin <> 1"),
              "0");
    // Every consent belongs to a household with transfer lines under the same account.
    EXPECT_EQ(dump("SELECT Count(*) FROM TongRegister t WHERE NOT EXISTS (SELECT 1 FROM Apt2 a "
                   "JOIN Apt1 b ON a.AptID = b.AptID WHERE b.GiganID10 = t.Giganid AND a.BankCode "
                   "= t.Bankcd AND a.BankNo = t.Bankno AND a.NapbuNo = t.NapbuNO)"),
              "0");
    // Some lines have no registered consent, so the missing-consent warning has work.
    EXPECT_GT(dump("SELECT Count(*) FROM Apt2 a JOIN Apt1 b ON a.AptID = b.AptID WHERE b.State = 1 "
                   "AND b.GiganID10 || a.BankCode || a.BankNo || a.Dong || a.Ho NOT IN (SELECT "
                   "Giganid || Bankcd || Bankno || NapbuNO FROM TongRegister WHERE Status = 2)")
                  .toInt(),
              0);
}

TEST_F(MakeDemo, EvidenceRowsHaveTheirFilesInTheEvidenceFolder)
{
    const QStringList rows = column("SELECT CUSTNO, CMSSERIALNO, AUTHTYPE, AUTHFILE, SENDSTATE, "
                                    "ifnull(SENDDATE, '') FROM Evidential");
    EXPECT_GT(rows.size(), 50);
    QSet<QString> kinds, states;
    for (const QString& row : rows) {
        const QStringList f = row.split('|');
        kinds.insert(f[2]);
        states.insert(f[4]);
        EXPECT_TRUE(f[3].startsWith(f[0] + "_" + f[1] + ".")) << row.toStdString();
        EXPECT_EQ(f[5].isEmpty(), f[4] == "0") << row.toStdString();
        QFile file(dir("first") + "AUTHFILE/" + f[3]);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << row.toStdString();
        const QByteArray bytes = file.readAll();
        EXPECT_LE(bytes.size(), f[2] == "2" ? 5120 : 307200) << row.toStdString();
        // Each is a file of its kind, not a name only.
        const QString ext = f[3].section('.', -1);
        if (ext == "tif") {
            EXPECT_TRUE(bytes.startsWith(QByteArray("II*\0", 4)));
        } else if (ext == "wav") {
            EXPECT_TRUE(bytes.startsWith("RIFF") && bytes.mid(8, 4) == "WAVE");
        } else if (ext == "der") {
            EXPECT_EQ(uchar(bytes[0]), 0x30);
        } else {
            EXPECT_TRUE(shell::FromCp949(bytes).contains(QStringLiteral("출금동의")));
        }
    }
    EXPECT_EQ(kinds.size(), 6);
    EXPECT_EQ(states, (QSet<QString>{"0", "1", "2"}));
    EXPECT_EQ(dump("SELECT Count(*) FROM Evidential WHERE CUSTNO = 'AP23010003'"), "0");
    // Waiting registrations of the complex that must submit evidence may be requested.
    EXPECT_GT(dump("SELECT Count(*) FROM TongRegister t JOIN Evidential e ON e.CUSTNO = t.Giganid "
                   "AND e.CMSSERIALNO = t.NapbuNO AND e.ACCTNO = t.Bankno WHERE t.Status = 0 AND "
                   "e.SENDSTATE = '1' AND e.SENDDATE > '20240308'")
                  .toInt(),
              0);
    EXPECT_EQ(QDir(dir("first") + "AUTHFILE").entryList(QDir::Files).size(), rows.size());
}

TEST_F(MakeDemo, TheCentresAnswerWaitsInTheMailbox)
{
    EXPECT_TRUE(s_first.out.contains("sent Apt_1\n")) << s_first.out.toStdString();
    EXPECT_TRUE(s_first.out.contains("sent Register_1\n")) << s_first.out.toStdString();
    EXPECT_TRUE(QDir(dir("first") + "Mailbox/Outbox").isEmpty());
    const QStringList inbox =
        QDir(dir("first") + "Mailbox/Inbox").entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(inbox, (QStringList{"NA200", "PS202"}));
    // The answer is for what the demo shows as sent: the batch under the key
    // of the demo's send, the consents being registered or cancelled.
    EXPECT_EQ(dump("SELECT GiganID10, SendDate, Stime, DataNo FROM Apt1 WHERE State = 2"),
              "AP23010002|2024-03-15|10:30:00|1");
    EXPECT_EQ(dump("SELECT Count(*) FROM Apt2 WHERE State = 2"),
              dump("SELECT TotNo FROM Apt1 WHERE State = 2"));
    EXPECT_EQ(dump("SELECT Count(*) FROM TongRegister WHERE Status IN (1, 5) AND Senddate <> "
                   "'2024-03-15 10:30:00'"),
              "0");
    // The waiting batches were stored after that send and never built.
    EXPECT_EQ(dump("SELECT State, DataNo IS NULL, SendDate IS NULL FROM Apt1 WHERE State = 1"),
              "1|1|1\n1|1|1");
    // The request files were kept as a send keeps them.
    EXPECT_EQ(QDir(dir("first") + "Send/Old/20240315").entryList(QDir::Files, QDir::Name),
              (QStringList{"Apt_1", "Register_1", "Register_2", "Register_3"}));
}

TEST_F(MakeDemo, TheEvidenceKeyIsSetSoEvidenceCanBeSent)
{
    ASSERT_EQ(make("evidence").exitCode, 0);
    EXPECT_EQ(dump("SELECT SendId, AuthKey FROM EvidentialAuthKey"),
              QString(demo::kDemoSenderId) + "|" + demo::kDemoEvidenceKey);
    // A waiting registration of the complex that submits evidence, sent as the screen sends it.
    const QStringList waiting =
        column("SELECT t.Giganid, t.Bankcd, t.Bankno, t.NapbuNO FROM TongRegister t JOIN "
               "Evidential e ON e.CUSTNO = t.Giganid AND e.CMSSERIALNO = t.NapbuNO WHERE "
               "t.Status = 0 AND t.Giganid = 'AP23010001' ORDER BY t.rowid LIMIT 1");
    ASSERT_EQ(waiting.size(), 1);
    const QString list = s_root->path() + "/evidence.txt";
    QFile f(list);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QString(waiting.first()).replace('|', ',').toUtf8() + "\n");
    f.close();
    const ProgramRun sent = tool(dir("evidence"), {"send-evidence", "--consents", list});
    EXPECT_EQ(sent.exitCode, 0) << sent.err.toStdString();
    EXPECT_EQ(QDir(dir("evidence") + "Mailbox/Evidence").entryList(QDir::Files).size(), 1);
}

TEST_F(MakeDemo, TheGuidesMonthCreatesNoBatchOnReceipt)
{
    // The guide's order on a fresh demo, later that day: send, the clearing
    // centre, receive, results.
    ASSERT_EQ(make("month").exitCode, 0);
    const QString home = dir("month");
    const ProgramRun send = tool(home, {"--yes", "send"}, "2024-03-15 11:05:00");
    ASSERT_EQ(send.exitCode, 0) << send.err.toStdString() << send.out.toStdString();
    EXPECT_TRUE(send.out.contains(QStringLiteral("송신 성공."))) << send.out.toStdString();

    QProcess centre;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("PELMAR_NOW", "2024-03-15 11:10:00");
    centre.setProcessEnvironment(env);
    centre.start(CLEARING_SIM, {"--home", home});
    ASSERT_TRUE(centre.waitForFinished(120000));
    ASSERT_EQ(centre.exitCode(), 0) << centre.readAllStandardError().toStdString();

    const ProgramRun receive = tool(home, {"--yes", "receive"}, "2024-03-15 11:15:00");
    ASSERT_EQ(receive.exitCode, 0) << receive.err.toStdString() << receive.out.toStdString();
    const ProgramRun results = tool(home, {"results", "--fetch"}, "2024-03-15 11:20:00");
    EXPECT_EQ(results.exitCode, 0) << results.err.toStdString();

    const QString connection = "DemoMonth";
    ASSERT_TRUE(store::OpenDatabase(connection, home + "Data/Pelmar.db").ok());
    QSqlDatabase d = QSqlDatabase::database(connection, false);
    EXPECT_EQ(dump(d, QStringLiteral("SELECT Count(*) FROM Apt1 WHERE Bigo = '수신시 생성'")), "0");
    // Every batch that went out, the demo's and the user's, has its answer now.
    EXPECT_EQ(dump(d, "SELECT State, Count(*) FROM Apt1 GROUP BY State ORDER BY State"),
              "0|1\n3|11");
    EXPECT_EQ(dump(d, "SELECT Count(*) FROM Apt2 WHERE State <> 3 AND AptID IN (SELECT AptID "
                      "FROM Apt1 WHERE State = 3)"),
              "0");
    d = QSqlDatabase();
    store::CloseDatabase(connection);
}

TEST_F(MakeDemo, TheSameSeedGivesTheSameInstallation)
{
    const ProgramRun second = make("second");
    ASSERT_EQ(second.exitCode, 0) << second.err.toStdString();
    const QString first = everything("first");
    EXPECT_GT(first.size(), 100000);
    EXPECT_EQ(first, everything("second"));

    ASSERT_EQ(make("other", {"--seed", "7"}).exitCode, 0);
    EXPECT_NE(first, everything("other"));
}

TEST_F(MakeDemo, NeverOverAnExistingInstallation)
{
    const QString before = everything("first");
    const ProgramRun again = make("first");
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_TRUE(again.err.contains(QStringLiteral("데모 설치를 만들 수 없습니다")))
        << again.err.toStdString();
    EXPECT_EQ(everything("first"), before);

    QDir().mkpath(dir("notes"));
    QFile f(dir("notes") + ".profile");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_EQ(make("notes").exitCode, 1);
    EXPECT_EQ(QDir(dir("notes")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{".profile"});
    EXPECT_EQ(make("first", {"--seed", "x"}).exitCode, 2);
}

// The size is read before the folder is looked at: a known size reaches the
// folder check (refused here, the folder holds the first demo), anything else
// is a usage error that creates nothing.
TEST_F(MakeDemo, SizeIsOrdinaryOrLarge)
{
    const struct
    {
        QStringList args;
        int exitCode;
    } cases[] = {{{"--size", "large"}, 1},
                 {{"--size", "ordinary"}, 1},
                 {{"--seed", "7", "--size", "large"}, 1},
                 {{"--size", "huge"}, 2},
                 {{"--size", "Large"}, 2},
                 {{"--size", ""}, 2},
                 {{"--size"}, 2}};
    for (const auto& c : cases) {
        EXPECT_EQ(make("first", c.args).exitCode, c.exitCode) << c.args.join(' ').toStdString();
        if (c.exitCode == 2) {
            EXPECT_EQ(make("unmade", c.args).exitCode, 2) << c.args.join(' ').toStdString();
            EXPECT_FALSE(QDir(dir("unmade")).exists());
        }
    }
}

TEST(FreshFolder, OnlyAMissingOrEmptyFolderIsFresh)
{
    QTemporaryDir root;
    const QString base = root.path() + "/";
    QDir().mkpath(base + "empty");
    QDir().mkpath(base + "withfolder/Data");
    QFile file(base + "plain");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const struct
    {
        const char* path;
        bool fresh;
    } cases[] = {{"missing", true},
                 {"missing/deeper", true},
                 {"empty", true},
                 {"withfolder", false},
                 {"plain", false}};
    for (const auto& c : cases)
        EXPECT_EQ(demo::IsFreshFolder(base + c.path), c.fresh) << c.path;
}

} // namespace
