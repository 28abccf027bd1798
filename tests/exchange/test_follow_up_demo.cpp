// The follow-up rules over a demo month: make-demo, the guide's send, the
// stand-in centre refusing every third line, the receive; then every
// received batch presented again and the consents to review, each checked
// against what the tables say.

#include "store/consent_key.h"
#include "store/database.h"

#include <QHash>
#include <QProcess>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Outcome
{
    int exitCode = -1;
    QString out;
    QString err;
};

class FollowUpDemo : public ::testing::Test
{
protected:
    void SetUp() override { m_home = m_root.path() + "/demo/"; }
    void TearDown() override { store::CloseDatabase("FollowUpDemo"); }

    Outcome run(const char* program, const QStringList& args, const QString& time)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("PELMAR_NOW", "2024-03-15 " + time);
        env.insert("PELMAR_REGISTRY_DIR", m_root.path() + "/registry");
        env.remove("PELMAR_HOME");
        p.setProcessEnvironment(env);
        p.start(program, QStringList{"--home", m_home} + args);
        EXPECT_TRUE(p.waitForFinished(180000));
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }
    Outcome tool(const QStringList& args, const QString& time = "11:30:00")
    {
        return run(PELMAR_TOOL, args, time);
    }

    QSqlDatabase db()
    {
        if (!QSqlDatabase::contains("FollowUpDemo")) {
            EXPECT_TRUE(store::OpenDatabase("FollowUpDemo", m_home + "Data/Pelmar.db").ok());
        }
        return QSqlDatabase::database("FollowUpDemo", false);
    }
    QStringList rows(const QString& sql, const QVariantList& values = {})
    {
        QSqlQuery q(db());
        q.prepare(sql);
        for (const QVariant& v : values)
            q.addBindValue(v);
        EXPECT_TRUE(q.exec()) << sql.toStdString();
        QStringList out;
        while (q.next()) {
            QStringList cols;
            for (int i = 0; i < q.record().count(); ++i)
                cols.append(q.value(i).toString());
            out.append(cols.join('|'));
        }
        return out;
    }

    // The consents to review, straight from the tables: each consent's
    // latest answered line, refused with a code of the seeded 동의 확인
    // rules; listing them changes none.
    void checkConsentsToReview(bool someExpected)
    {
        const QStringList reviewCodes = {"0107", "0204", "1001", "1003", "1012", "1013",
                                         "1014", "2002", "2006", "2007", "2008"};
        QHash<QString, QString> consentOf;
        for (const QString& row :
             rows("SELECT Giganid, Bankcd, Bankno, NapbuNO FROM TongRegister WHERE Status < 4")) {
            const QStringList f = row.split('|');
            consentOf.insert(store::ConsentMatchKey(f[0], f[1], f[2], f[3]),
                             QStringList{f[0], f[3], f[1], f[2]}.join('\t'));
        }
        QHash<QString, QString> latest;
        for (const QString& row :
             rows("SELECT b.GiganID10, a.BankCode, a.BankNo, a.Dong || a.Ho, a.IcheYebu, "
                  "a.ResultID4, "
                  "b.IcheDate FROM Apt2 a JOIN Apt1 b ON b.AptID = a.AptID WHERE a.IcheYebu <> 'Z' "
                  "ORDER BY b.IcheDate, a.Apt2ID")) {
            const QStringList f = row.split('|');
            const QString key = store::ConsentMatchKey(f[0], f[1], f[2], f[3]);
            if (consentOf.contains(key))
                latest[key] = f[4] == "X" && reviewCodes.contains(f[5]) ? f[5] + "\t" + f[6] : "";
        }
        QStringList expected;
        for (auto it = latest.cbegin(); it != latest.cend(); ++it)
            if (!it->isEmpty()) {
                const QStringList line = it->split('\t');
                expected << consentOf[it.key()] + "\t" + line[0] + "\t" +
                                rows("SELECT Name FROM CodeP WHERE id = ?", {line[0]}).value(0) +
                                "\t" + line[1];
            }
        if (someExpected) {
            ASSERT_FALSE(expected.isEmpty());
        }
        const QStringList consentsBefore = rows("SELECT * FROM TongRegister ORDER BY rowid");
        const Outcome r = tool({"consents-to-review"});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        QStringList listed = r.out.split('\n', Qt::SkipEmptyParts);
        listed.sort();
        expected.sort();
        EXPECT_EQ(listed, expected);
        EXPECT_EQ(rows("SELECT * FROM TongRegister ORDER BY rowid"), consentsBefore);
    }

    QTemporaryDir m_root;
    QString m_home;
};

TEST_F(FollowUpDemo, EveryReceivedBatchPresentsExactlyWhatItsRulesAllow)
{
    ASSERT_EQ(tool({"--quiet", "make-demo"}, "10:30:00").exitCode, 0);
    checkConsentsToReview(true);
    Outcome r = tool({"--yes", "send"}, "11:05:00");
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    r = run(CLEARING_SIM, {"--fail-every", "3"}, "11:10:00");
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    r = tool({"--yes", "receive"}, "11:15:00");
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    // This month's answers (refused for want of money) come later than
    // the older refusals.
    checkConsentsToReview(false);

    // Every received batch: exactly its 잔액부족 and 한도초과 lines, once.
    int made = 0;
    for (const QString& batch : rows("SELECT AptID FROM Apt1 WHERE State = 3 ORDER BY AptID")) {
        const QStringList due =
            rows("SELECT Apt2ID FROM Apt2 WHERE AptID = ? AND IcheYebu = 'X' AND ResultID4 IN "
                 "('1000', '1002') ORDER BY Apt2ID",
                 {batch});
        const QString sum = rows("SELECT Coalesce(Sum(IcheMoney), 0) FROM Apt2 WHERE AptID = ? "
                                 "AND IcheYebu = 'X' AND ResultID4 IN ('1000', '1002')",
                                 {batch})
                                .value(0);
        const QString before = rows("SELECT Count(*) FROM Apt1").value(0);
        r = tool({"represent", "--batch", batch});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        if (due.isEmpty()) {
            EXPECT_EQ(r.out, "") << batch.toStdString();
            EXPECT_EQ(rows("SELECT Count(*) FROM Apt1").value(0), before);
            continue;
        }
        ++made;
        const QStringList out = r.out.trimmed().split('\t');
        ASSERT_EQ(out.size(), 4) << r.out.toStdString();
        EXPECT_EQ(out[1].toInt(), due.size());
        EXPECT_EQ(out[2], sum);
        EXPECT_EQ(rows("SELECT FromApt2ID FROM RepresentedLine WHERE AptID = ? ORDER BY Apt2ID",
                       {out[0]}),
                  due);
        EXPECT_EQ(rows("SELECT a.GiganID10 = b.GiganID10, b.State, b.IcheDate, b.TotNo, "
                       "b.TotMoney FROM Apt1 a, Apt1 b WHERE a.AptID = ? AND b.AptID = ?",
                       {batch, out[0]}),
                  QStringList{QString("1|0|2024-03-18|%1|%2").arg(due.size()).arg(sum)});

        const QString after = rows("SELECT Count(*) FROM Apt1").value(0);
        r = tool({"represent", "--batch", batch});
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.out, "");
        EXPECT_TRUE(r.err.contains(QStringLiteral("이미 재청구하였습니다"))) << r.err.toStdString();
        EXPECT_EQ(rows("SELECT Count(*) FROM Apt1").value(0), after);
    }
    EXPECT_GE(made, 5);
}

} // namespace
