#include "tests/support/data_fixture.h"

#include "shell/clock.h"
#include "shell/text_helpers.h"
#include "shell/workspace.h"
#include "store/tdm1.h"

#include <QDir>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace testing_support {

void DataTest::SetUp()
{
    WorkspaceTest::SetUp();
    dm = std::make_unique<store::TDM1>(ui, workspace());
    ASSERT_TRUE(dm->PrepareDatabase(workspace().dataDir));
    ASSERT_TRUE(dm->OpenTables());
    QDir().mkpath(workspace().sendDir);
    QDir().mkpath(workspace().recvDir);
}

void DataTest::TearDown()
{
    releaseReadLock();
    dm.reset();
    WorkspaceTest::TearDown();
}

void DataTest::holdReadLock()
{
    QSqlQuery(db()).exec("PRAGMA busy_timeout = 0");
    m_reader = QStringLiteral("other program");
    QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", m_reader);
    other.setDatabaseName(db().databaseName());
    ASSERT_TRUE(other.open());
    QSqlQuery q(other);
    ASSERT_TRUE(q.exec("BEGIN") && q.exec("SELECT count(*) FROM sqlite_master") && q.next())
        << q.lastError().text().toStdString();
}

void DataTest::releaseReadLock()
{
    if (m_reader.isEmpty())
        return;
    {
        QSqlDatabase other = QSqlDatabase::database(m_reader, false);
        QSqlQuery(other).exec("ROLLBACK");
        other.close();
    }
    QSqlDatabase::removeDatabase(m_reader);
    m_reader.clear();
}

QSqlDatabase DataTest::db() const
{
    return dm->db();
}

void DataTest::exec(const QString& sql, const QVariantList& values)
{
    QSqlQuery q(db());
    ASSERT_TRUE(q.prepare(sql)) << q.lastError().text().toStdString();
    for (const QVariant& v : values)
        q.addBindValue(v);
    ASSERT_TRUE(q.exec()) << sql.toStdString() << ": " << q.lastError().text().toStdString();
}

QVariant DataTest::value(const QString& sql, const QVariantList& values)
{
    QSqlQuery q(db());
    q.prepare(sql);
    for (const QVariant& v : values)
        q.addBindValue(v);
    if (!q.exec() || !q.next())
        return {};
    return q.value(0);
}

QString DataTest::dump(const QString& sql)
{
    QSqlQuery q(db());
    EXPECT_TRUE(q.exec(sql)) << q.lastError().text().toStdString();
    QStringList rows;
    while (q.next()) {
        QStringList cols;
        for (int i = 0; i < q.record().count(); ++i)
            cols.append(q.value(i).toString());
        rows.append(cols.join('|'));
    }
    return rows.join('\n');
}

void DataTest::addInstitution(const QString& name, const QString& code, const QString& apOut,
                              const QString& apIn, const QString& account, const QString& evidence)
{
    exec("INSERT INTO UserCode (Name, APOUT, APIN, APPASS, APID10, APBCODE, BankNoApt, "
         "TREGISTEROUT, TREGISTERIN, AUTHSENDTYPE) VALUES (?, ?, ?, 'pw', ?, 'BK12345', ?, "
         "'NA200', 'NA200', ?)",
         {name, apOut, apIn, code, account, evidence});
}

void DataTest::addBatch(int aptId, const QString& code, const QString& date, int state,
                        const QString& account)
{
    exec("INSERT INTO Apt1 (AptID, GiganID10, FileGubun, BankCode, MoBankNo, IcheDate, IcheEDate, "
         "Pass, State, TotNo, TotMoney) VALUES (?, ?, '11', '35', ?, ?, ?, 'pw', ?, 0, 0)",
         {aptId, code, account, date, date, state});
}

qint64 DataTest::addLine(int aptId, const QString& dong, const QString& ho, const QString& bank,
                         const QString& account, qint64 amount)
{
    QSqlQuery q(db());
    q.prepare("INSERT INTO Apt2 (AptID, DongInt, Dong, HoInt, Ho, BankCode, BankNo, IcheMoney, "
              "IcheYebu, State, NapbuNo, Bigo) VALUES (?, ?, ?, ?, ?, ?, ?, ?, 'Z', 1, ?, ?)");
    for (const QVariant& v : QVariantList{aptId, dong.toInt(), dong, ho.toInt(), ho, bank, account,
                                          amount, dong + ho, QStringLiteral("입주자")})
        q.addBindValue(v);
    EXPECT_TRUE(q.exec()) << q.lastError().text().toStdString();
    return q.lastInsertId().toLongLong();
}

void DataTest::addConsent(const QString& code, const QString& bank, const QString& account,
                          const QString& payer, int status, const QString& jumin,
                          const QVariant& requestDate)
{
    const QString digits = shell::DigitsOnly(account);
    exec("INSERT INTO TongRegister (Giganid, Bankcd, Bankno, NapbuNO, Status, NAME, Autoichedate, "
         "RequestDate, JuminNO, DisplayBankno, CheckJumin) VALUES (?, ?, ?, ?, ?, '홍길동', 0, ?, "
         "?, ?, 1)",
         {code, bank, digits, payer, status, requestDate, jumin,
          digits.rightJustified(14, '0').left(14)});
}

void DataTest::addSentEvidence(const QString& code, const QString& bank, const QString& account,
                               const QString& payer)
{
    exec("INSERT OR REPLACE INTO Evidential (BANKCD, CUSTNO, CMSSERIALNO, ACCTNO, AUTHTYPE, "
         "AUTHFILE, SENDSTATE, SENDDATE) VALUES (?, ?, ?, ?, '1', '', '1', ?)",
         {bank, code, payer, shell::DigitsOnly(account),
          shell::Today().addDays(-1).toString("yyyyMMdd")});
}

} // namespace testing_support
