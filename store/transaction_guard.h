#pragma once

#include <QSqlDatabase>
#include <QSqlError>

namespace store {

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
    }
    ~TransactionGuard()
    {
        if (m_active)
            m_db.rollback();
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
        if (m_db.commit()) {
            m_active = false;
            return true;
        }
        m_error = m_db.lastError();
        m_db.rollback();
        m_active = false;
        return false;
    }

    // Why the transaction could not begin or commit.
    QSqlError error() const { return m_error; }

private:
    QSqlDatabase m_db;
    bool m_active;
    QSqlError m_error;
};

} // namespace store
