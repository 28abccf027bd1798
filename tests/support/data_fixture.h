#pragma once

#include "store/tdm1.h"
#include "tests/support/workspace_fixture.h"

#include <QSqlDatabase>
#include <QString>
#include <QVariant>

#include <memory>
#include <ostream>

// Readable failures for QString comparisons.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace testing_support {

// A workspace with a prepared database and helpers that put rows into it.
class DataTest : public WorkspaceTest
{
protected:
    void SetUp() override;
    void TearDown() override;

    QSqlDatabase db() const;
    // Runs a statement with positional values; fails the test on error.
    void exec(const QString& sql, const QVariantList& values = {});
    // The first column of the first row; invalid when there is none.
    QVariant value(const QString& sql, const QVariantList& values = {});
    // Every row of a query, columns joined by "|", rows by "\n".
    QString dump(const QString& sql);

    void addInstitution(const QString& name, const QString& code, const QString& apOut,
                        const QString& apIn, const QString& account = "301-0123-4567-81",
                        const QString& evidence = QStringLiteral("제출"));
    // A batch waiting to be sent (State 1 unless given).
    void addBatch(int aptId, const QString& code, const QString& date, int state = 1,
                  const QString& account = "301-0123-4567-81");
    qint64 addLine(int aptId, const QString& dong, const QString& ho, const QString& bank,
                   const QString& account, qint64 amount);
    void addConsent(const QString& code, const QString& bank, const QString& account,
                    const QString& payer, int status, const QString& jumin = {},
                    const QVariant& requestDate = {});
    // Evidence of that consent sent the day before the fixtures' day and
    // not used yet, so that its registration may be requested.
    void addSentEvidence(const QString& code, const QString& bank, const QString& account,
                         const QString& payer);

    // Another program reading the database file: a second connection in a
    // read transaction holds SQLite's shared lock until releaseReadLock(),
    // so a COMMIT here meets "database is locked". Our connection stops
    // waiting for locks, so the refusal comes at once.
    void holdReadLock();
    void releaseReadLock();

    std::unique_ptr<store::TDM1> dm;

private:
    QString m_reader;
};

} // namespace testing_support
