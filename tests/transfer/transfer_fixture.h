#pragma once

#include "shell/workspace.h"
#include "store/account_numbers.h"
#include "store/tdm1.h"
#include "tests/support/workspace_fixture.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

// Readable texts in failure messages.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

// A prepared workspace with one institution "A123456789" (password
// "pw1234"); helpers put batches and lines straight into the tables.
class TransferTest : public testing_support::WorkspaceTest
{
protected:
    void SetUp() override
    {
        WorkspaceTest::SetUp();
        store::ReloadAccountRules();
        dm = std::make_unique<store::TDM1>(ui, workspace());
        ASSERT_TRUE(dm->PrepareDatabase(workspace().dataDir));
        ASSERT_TRUE(dm->OpenTables());
        exec("INSERT INTO UserCode (Name, APID10, APPASS, BankNoApt) VALUES "
             "('푸른마을아파트', 'A123456789', 'pw1234', '301-1234-5678-91')");
    }
    void TearDown() override
    {
        dm.reset();
        WorkspaceTest::TearDown();
    }

    void exec(const QString& sql, const QVariantList& values = {})
    {
        QSqlQuery q(dm->db());
        ASSERT_TRUE(q.prepare(sql)) << sql.toStdString();
        for (const QVariant& v : values)
            q.addBindValue(v);
        ASSERT_TRUE(q.exec()) << sql.toStdString() << " " << q.lastError().text().toStdString();
    }
    QVariant value(const QString& sql, const QVariantList& values = {})
    {
        QSqlQuery q(dm->db());
        q.prepare(sql);
        for (const QVariant& v : values)
            q.addBindValue(v);
        if (!q.exec() || !q.next())
            return {};
        return q.value(0);
    }

    void addBatch(int aptId, int state, const QString& giganId = "A123456789")
    {
        exec(
            "INSERT INTO Apt1 (AptID, GiganID10, FileGubun, BankCode, IcheDate, IcheEDate, Pass, "
            "State, TotNo, TotMoney, E1TotNo, E1TotMon, E1JunNo, E1JunMon, E1JoNo, E1JoMon, "
            "E1SucNo, E1SucMon) VALUES (?, ?, '11', '35', '2024-03-20', '2024-03-20', 'pw1234', ?, "
            "0, 0, 9, 900, 1, 100, 2, 200, 3, 300)",
            {aptId, giganId, state});
    }
    int addLine(int aptId, const QString& bank, qint64 money, const QString& yebu = "Z",
                int state = 1, const QString& dong = "101", const QString& ho = "1203",
                const QString& bankNo = "301-1234-5678-91")
    {
        exec(
            "INSERT INTO Apt2 (AptID, Dong, DongInt, Ho, HoInt, BankCode, BankNo, IcheDate, "
            "IcheMoney, IcheYebu, NapbuNo, State, DataNo, Bigo, Kita) VALUES (?, ?, ?, ?, ?, ?, ?, "
            "'2024-03-20', ?, ?, '8001011234567', ?, 7, '홍길동', '홍길순')",
            {aptId, dong, dong.toInt(), ho, ho.toInt(), bank, bankNo, money, yebu, state});
        return value("SELECT Max(Apt2ID) FROM Apt2").toInt();
    }
    int count(const QString& sql, const QVariantList& values = {})
    {
        return value(sql, values).toInt();
    }

    std::unique_ptr<store::TDM1> dm;
};
