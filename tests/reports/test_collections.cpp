// 수납 현황 through pelmar-tool on a demo month: the demo's first send
// answered by the stand-in centre, the rest of the month sent that morning
// and answered with every third line failed. Every figure is checked
// against sums taken straight from the tables.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct ToolRun
{
    int exitCode = -1;
    QString out;
    QString err;
};

class Collections : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_root = new QTemporaryDir;
        ASSERT_EQ(tool({"make-demo"}, "2024-03-15 10:30:00").exitCode, 0);
        const ToolRun send = tool({"--yes", "send"}, "2024-03-15 11:05:00");
        ASSERT_EQ(send.exitCode, 0) << send.err.toStdString();
        QProcess centre;
        centre.setProcessEnvironment(environment("2024-03-15 11:10:00"));
        centre.start(CLEARING_SIM, {"--home", home(), "--fail-every", "3"});
        ASSERT_TRUE(centre.waitForFinished(120000));
        ASSERT_EQ(centre.exitCode(), 0) << centre.readAllStandardError().toStdString();
        const ToolRun receive = tool({"--yes", "receive"}, "2024-03-15 11:15:00");
        ASSERT_EQ(receive.exitCode, 0) << receive.err.toStdString();

        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "collections");
        db.setDatabaseName(home() + "Data/Pelmar.db");
        ASSERT_TRUE(db.open());
    }
    static void TearDownTestSuite()
    {
        QSqlDatabase::removeDatabase("collections");
        delete s_root;
        s_root = nullptr;
    }

    static QString home() { return s_root->path() + "/home/"; }
    static QProcessEnvironment environment(const QString& now)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("PELMAR_NOW", now);
        env.insert("PELMAR_REGISTRY_DIR", s_root->path() + "/registry");
        env.remove("PELMAR_HOME");
        return env;
    }
    static ToolRun tool(const QStringList& args, const QString& now = "2024-03-15 11:30:00")
    {
        QProcess p;
        p.setProcessEnvironment(environment(now));
        p.start(PELMAR_TOOL, QStringList{"--home", home(), "--quiet"} + args);
        EXPECT_TRUE(p.waitForFinished(180000));
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }
    static QSqlDatabase db() { return QSqlDatabase::database("collections"); }

    // One row of figures: count and won, straight from the tables.
    static QStringList sums(const QString& where, const QString& institution, const QString& month)
    {
        QSqlQuery q(db());
        q.prepare("SELECT count(*), coalesce(sum(l.IcheMoney), 0) FROM Apt2 l, Apt1 a "
                  "WHERE l.AptID = a.AptID AND upper(a.GiganID10) = upper(?) "
                  "AND a.IcheDate LIKE ? || '-%' AND " +
                  where);
        q.addBindValue(institution);
        q.addBindValue(month);
        EXPECT_TRUE(q.exec() && q.next()) << q.lastError().text().toStdString();
        return {q.value(0).toString(), q.value(1).toString()};
    }
    static QStringList column(const QString& sql)
    {
        QSqlQuery q(db());
        EXPECT_TRUE(q.exec(sql)) << q.lastError().text().toStdString();
        QStringList values;
        while (q.next())
            values.append(q.value(0).toString());
        return values;
    }
    static void exec(const QString& sql)
    {
        QSqlQuery q(db());
        ASSERT_TRUE(q.exec(sql)) << q.lastError().text().toStdString();
    }
    static QList<QStringList> rows(const QString& out)
    {
        QList<QStringList> rows;
        for (const QString& line : out.split('\n', Qt::SkipEmptyParts))
            rows.append(line.split('\t'));
        return rows;
    }

    static QTemporaryDir* s_root;
};

QTemporaryDir* Collections::s_root = nullptr;

TEST_F(Collections, EveryMonthAndInstitutionEqualsTheSumsOfItsLines)
{
    const QStringList months =
        column("SELECT DISTINCT substr(IcheDate, 1, 7) FROM Apt1 ORDER BY 1");
    ASSERT_GE(months.size(), 3);
    const QStringList institutions =
        column("SELECT DISTINCT upper(APID10) FROM UserCode ORDER BY 1");
    ASSERT_GE(institutions.size(), 3);
    qint64 failedSeen = 0, unansweredSeen = 0, collectedSeen = 0;
    for (const QString& month : months) {
        const ToolRun r = tool({"collections", "--month", month});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        const QList<QStringList> table = rows(r.out);
        ASSERT_EQ(table.size(), institutions.size() + 1) << r.out.toStdString();
        qint64 totals[8] = {};
        for (qsizetype i = 0; i < table.size(); ++i) {
            const QStringList& row = table[i];
            ASSERT_EQ(row.size(), 11) << row.join('|').toStdString();
            EXPECT_EQ(row[2], month);
            qint64 n[8];
            for (int c = 0; c < 8; ++c)
                n[c] = row[3 + c].toLongLong();
            // Requested is collected + failed + unanswered, in lines and won.
            EXPECT_EQ(n[0], n[2] + n[4] + n[6]) << row.join('|').toStdString();
            EXPECT_EQ(n[1], n[3] + n[5] + n[7]) << row.join('|').toStdString();
            if (i == table.size() - 1) {
                EXPECT_EQ(row[0], "전체");
                for (int c = 0; c < 8; ++c)
                    EXPECT_EQ(n[c], totals[c]) << month.toStdString() << " column " << c;
                const QStringList all = column(
                    "SELECT count(*) || '|' || coalesce(sum(l.IcheMoney), 0) FROM Apt2 l, Apt1 a "
                    "WHERE l.AptID = a.AptID AND a.IcheDate LIKE '" +
                    month + "-%'");
                EXPECT_EQ(row[3] + "|" + row[4], all.value(0));
                continue;
            }
            EXPECT_EQ(row[0].toUpper(), institutions[i]);
            EXPECT_EQ(row[1], column("SELECT Name FROM UserCode WHERE upper(APID10) = '" +
                                     institutions[i] + "' ORDER BY Rec")
                                  .value(0));
            for (int c = 0; c < 8; ++c)
                totals[c] += n[c];
            const QString& code = row[0];
            EXPECT_EQ(row.mid(3, 2), sums("1", code, month));
            EXPECT_EQ(row.mid(5, 2), sums("a.State = 3 AND l.IcheYebu = 'Y'", code, month));
            EXPECT_EQ(row.mid(7, 2), sums("a.State = 3 AND l.IcheYebu = 'X'", code, month));
            EXPECT_EQ(
                row.mid(9, 2),
                sums("(a.State IS NOT 3 OR coalesce(l.IcheYebu, 'Z') IN ('Z', ''))", code, month));
            collectedSeen += n[2];
            failedSeen += n[4];
            unansweredSeen += n[6];
        }
    }
    // The demo gives lines of each kind, or the sums above prove little.
    EXPECT_GT(collectedSeen, 0);
    EXPECT_GT(failedSeen, 0);
    EXPECT_GT(unansweredSeen, 0);
}

TEST_F(Collections, FailedLinesByResultCodeWithTheCodesText)
{
    const QString month = "2024-03";
    const ToolRun r = tool({"collections", "--month", month, "--by-code"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    QStringList expected;
    QSqlQuery q(db());
    ASSERT_TRUE(q.exec("SELECT upper(a.GiganID10), l.ResultID4, coalesce(c.Name, ''), count(*), "
                       "sum(l.IcheMoney) FROM Apt2 l JOIN Apt1 a ON l.AptID = a.AptID "
                       "LEFT JOIN CodeP c ON c.id = l.ResultID4 "
                       "WHERE a.State = 3 AND l.IcheYebu = 'X' AND a.IcheDate LIKE '2024-03-%' "
                       "GROUP BY 1, 2 ORDER BY 1, 2"));
    while (q.next())
        expected.append(QStringList{q.value(0).toString(), month, q.value(1).toString(),
                                    q.value(2).toString(), q.value(3).toString(),
                                    q.value(4).toString()}
                            .join('\t'));
    ASSERT_FALSE(expected.isEmpty());
    QStringList got;
    for (QStringList row : rows(r.out)) {
        row[0] = row[0].toUpper();
        got.append(row.join('\t'));
    }
    EXPECT_EQ(got, expected);
    for (const QString& line : expected)
        EXPECT_FALSE(line.split('\t')[3].isEmpty()) << line.toStdString();
}

TEST_F(Collections, OneInstitutionAndTheRefusals)
{
    const QString code = column("SELECT APID10 FROM UserCode ORDER BY Rec").value(0);
    const ToolRun all = tool({"collections", "--month", "2024-03"});
    const ToolRun one =
        tool({"collections", "--month", "2024-03", "--institution", code.toLower()});
    ASSERT_EQ(one.exitCode, 0) << one.err.toStdString();
    const QList<QStringList> table = rows(one.out);
    ASSERT_EQ(table.size(), 2);
    EXPECT_EQ(table[0][0], code);
    EXPECT_TRUE(rows(all.out).contains(table[0]));
    EXPECT_EQ(table[1].mid(3), table[0].mid(3));

    const struct
    {
        QStringList args;
        int exitCode;
        const char* said;
    } refusals[] = {
        {{"--month", "2024-03", "--institution", "NOSUCH"}, 1, "등록된 기관이 아닙니다"},
        {{"--month", "2024-13"}, 2, "올바르지 않습니다"},
        {{"--month", "2024-3"}, 2, "올바르지 않습니다"},
        {{}, 2, ""},
        {{"--month", "2024-03", "--chart", home() + "no/such/folder/chart.png"},
         1,
         "차트 파일을 만들 수 없습니다"},
    };
    for (const auto& c : refusals) {
        const ToolRun r = tool(QStringList{"collections"} + c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.said))) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
    }
}

TEST_F(Collections, TheChartIsAPicture)
{
    const QString png = s_root->path() + "/chart.png";
    const ToolRun r = tool({"collections", "--month", "2024-03", "--chart", png});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    QFile f(png);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_GT(bytes.size(), 10000);
    EXPECT_TRUE(bytes.startsWith("\x89PNG\r\n\x1a\n"));
    // The table still comes with it.
    EXPECT_EQ(rows(r.out).last().value(0), "전체");
}

TEST_F(Collections, AKeptAnswerThatNoLongerMatchesItsLinesIsWarnedOf)
{
    const ToolRun before = tool({"collections", "--month", "2024-03"});
    ASSERT_EQ(before.exitCode, 0);
    EXPECT_FALSE(before.err.contains("경고")) << before.err.toStdString();

    // A line of an answered batch changed after its answer came.
    const QString line = column("SELECT l.Apt2ID FROM Apt2 l JOIN Apt1 a ON l.AptID = a.AptID "
                                "WHERE a.State = 3 AND a.IcheDate LIKE '2024-03-%' "
                                "ORDER BY l.Apt2ID DESC LIMIT 1")
                             .value(0);
    const QString batch = column("SELECT AptID FROM Apt2 WHERE Apt2ID = " + line).value(0);
    ASSERT_FALSE(line.isEmpty());
    exec("UPDATE Apt2 SET IcheMoney = IcheMoney + 1000 WHERE Apt2ID = " + line);
    const ToolRun after = tool({"collections", "--month", "2024-03"});
    exec("UPDATE Apt2 SET IcheMoney = IcheMoney - 1000 WHERE Apt2ID = " + line);
    ASSERT_EQ(after.exitCode, 0) << after.err.toStdString();
    const QStringList warnings = after.err.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(warnings.size(), 1) << after.err.toStdString();
    EXPECT_TRUE(warnings[0].startsWith("경고: ")) << warnings[0].toStdString();
    EXPECT_TRUE(warnings[0].contains("이체자료 " + batch)) << warnings[0].toStdString();
    EXPECT_TRUE(warnings[0].contains("Recv")) << warnings[0].toStdString();
    // Another month's report does not carry it.
    EXPECT_FALSE(tool({"collections", "--month", "2024-02"}).err.contains("경고"));
}

TEST_F(Collections, ATableThatCannotBeReadIsAnErrorNotAnEmptyMonth)
{
    // A copy of the workspace whose lines lost a column the report reads.
    const QString broken = s_root->path() + "/broken/";
    ASSERT_TRUE(QDir().mkpath(broken + "Data"));
    ASSERT_TRUE(QFile::copy(home() + "Data/Pelmar.db", broken + "Data/Pelmar.db"));
    {
        QSqlDatabase b = QSqlDatabase::addDatabase("QSQLITE", "broken");
        b.setDatabaseName(broken + "Data/Pelmar.db");
        ASSERT_TRUE(b.open());
        QSqlQuery q(b);
        ASSERT_TRUE(q.exec("ALTER TABLE Apt2 RENAME COLUMN IcheYebu TO Yebu"))
            << q.lastError().text().toStdString();
    }
    QSqlDatabase::removeDatabase("broken");
    QProcess p;
    p.setProcessEnvironment(environment("2024-03-15 11:30:00"));
    p.start(PELMAR_TOOL, {"--home", broken, "--quiet", "collections", "--month", "2024-03"});
    ASSERT_TRUE(p.waitForFinished(60000));
    const QString err = QString::fromUtf8(p.readAllStandardError());
    EXPECT_EQ(p.exitCode(), 1) << err.toStdString();
    EXPECT_TRUE(p.readAllStandardOutput().isEmpty());
    EXPECT_TRUE(err.contains("수납 현황을 읽을 수 없습니다. ")) << err.toStdString();
    EXPECT_TRUE(err.contains("IcheYebu")) << err.toStdString(); // the engine's reason
}

} // namespace

TEST_F(Collections, ARefusedAnswerSaysNothingOfTheLines)
{
    // A kept answer whose trailer states 1 won more than its lines: the
    // receive refuses such a file, so its trailer answers for nothing; kept
    // without a record of its refusal it is warned of.
    QString answer;
    for (const QString& day :
         QDir(home() + "Recv/Old").entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        for (const QString& name : QDir(home() + "Recv/Old/" + day).entryList(QDir::Files))
            if (answer.isEmpty() && !name.startsWith("NA"))
                answer = home() + "Recv/Old/" + day + "/" + name;
    ASSERT_FALSE(answer.isEmpty());
    QFile original(answer);
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    QByteArray bytes = original.readAll();
    original.close();
    const qsizetype trailer = bytes.lastIndexOf("\r\nE") + 2;
    ASSERT_GT(trailer, 2);
    const qint64 total = bytes.mid(trailer + 15, 15).toLongLong();
    bytes.replace(trailer + 15, 15, QByteArray::number(total + 1).rightJustified(15, '0'));
    const QString tampered = answer + ".1";
    QFile copy(tampered);
    ASSERT_TRUE(copy.open(QIODevice::WriteOnly));
    copy.write(bytes);
    copy.close();

    for (const bool refused : {true, false}) {
        exec("DELETE FROM ReceivedAnswer WHERE KeptPath = '" + tampered + "'");
        if (refused)
            exec("INSERT INTO ReceivedAnswer (Sha256, FileCode, KeptPath, Size, Kept, Refused) "
                 "VALUES ('x', 'X', '" +
                 tampered + "', 1, '2024-03-15 11:15:00', '2024-03-15 11:15:00')");
        const ToolRun r = tool({"collections", "--month", "2024-03"});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_EQ(r.err.contains(tampered), !refused) << refused << r.err.toStdString();
    }
    exec("DELETE FROM ReceivedAnswer WHERE KeptPath = '" + tampered + "'");
    QFile::remove(tampered);
}
