#pragma once

#include <QSqlDatabase>

namespace store {

// Rolls the transaction back unless commit() was called. One guard serves
// every bulk change, so that a failure half-way leaves nothing behind.
class TransactionGuard
{
public:
    explicit TransactionGuard(QSqlDatabase db) : m_db(std::move(db)), m_active(m_db.transaction()) {}
    ~TransactionGuard()
    {
        if (m_active)
            m_db.rollback();
    }
    TransactionGuard(const TransactionGuard&) = delete;
    TransactionGuard& operator=(const TransactionGuard&) = delete;

    bool active() const { return m_active; }
    bool commit()
    {
        if (!m_active)
            return false;
        m_active = false;
        return m_db.commit();
    }

private:
    QSqlDatabase m_db;
    bool m_active;
};

} // namespace store
