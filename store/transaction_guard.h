#pragma once

#include "platform/result.h"

#include <QSqlDatabase>
#include <QSqlError>

#include <functional>

namespace store {

// Told of every transaction a guard runs, process-wide: the change record
// (audit/) gathers the rows of a guarded change in memory and writes them
// in the same transaction just before its COMMIT, which is far cheaper than
// a row per changed line. `committing` failing rolls the whole change back.
struct TransactionHooks
{
    std::function<void(QSqlDatabase& db)> begun;
    std::function<platform::Result<>(QSqlDatabase& db)> committing;
    std::function<void(QSqlDatabase& db)> ended; // committed or rolled back
};
void SetTransactionHooks(TransactionHooks hooks);
const TransactionHooks& CurrentTransactionHooks();

// Rolls the transaction back unless commit() succeeded. One guard serves
// every bulk change, so that a failure half-way leaves nothing behind.
// A COMMIT that fails (another program reading the file) leaves SQLite's
// transaction open; the guard then rolls it back at once, or every later
// save on the connection would fail and single saves would vanish at close.
class TransactionGuard
{
public:
    explicit TransactionGuard(QSqlDatabase db) : m_db(std::move(db)), m_active(m_db.transaction())
    {
        if (!m_active)
            m_error = m_db.lastError();
        else if (CurrentTransactionHooks().begun)
            CurrentTransactionHooks().begun(m_db);
    }
    ~TransactionGuard()
    {
        if (m_active) {
            m_db.rollback();
            ended();
        }
    }
    TransactionGuard(const TransactionGuard&) = delete;
    TransactionGuard& operator=(const TransactionGuard&) = delete;

    bool active() const { return m_active; }

    // True when the changes are in the file. On false nothing of them is,
    // the transaction is over and error() says why.
    bool commit()
    {
        if (!m_active)
            return false;
        if (CurrentTransactionHooks().committing) {
            if (const platform::Result<> ready = CurrentTransactionHooks().committing(m_db);
                !ready) {
                m_error = QSqlError(QString(), ready.error(), QSqlError::TransactionError);
                m_db.rollback();
                m_active = false;
                ended();
                return false;
            }
        }
        const bool committed = m_db.commit();
        if (!committed) {
            m_error = m_db.lastError();
            m_db.rollback();
        }
        m_active = false;
        ended();
        return committed;
    }

    // Why the transaction could not begin or commit.
    QSqlError error() const { return m_error; }

private:
    void ended()
    {
        if (CurrentTransactionHooks().ended)
            CurrentTransactionHooks().ended(m_db);
    }

    QSqlDatabase m_db;
    bool m_active;
    QSqlError m_error;
};

} // namespace store
