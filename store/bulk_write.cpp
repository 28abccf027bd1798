#include "store/bulk_write.h"

#include "shell/ui.h"

#include <vector>

namespace store {

BulkWrite::BulkWrite(QSqlDatabase db) : m_db(db), m_tx(db) {}

void BulkWrite::showProgress(shell::Ui& ui, const QString& text, int rows)
{
    m_progress = &ui;
    ui.ShowProgress(text, 0, rows, true);
}

bool BulkWrite::run(const QStringList& statements, int rows, const Bind& bind,
                    const std::function<void(int done)>& afterRow)
{
    m_done = 0;
    if (!m_tx.active()) {
        m_error = m_tx.error();
        return false;
    }
    std::vector<QSqlQuery> queries;
    queries.reserve(statements.size());
    for (const QString& sql : statements) {
        QSqlQuery& q = queries.emplace_back(m_db);
        if (!q.prepare(sql)) {
            m_error = q.lastError();
            return false;
        }
    }
    for (int row = 0; row < rows; ++row) {
        for (QSqlQuery& q : queries) {
            bind(q, row);
            if (!q.exec()) {
                m_error = q.lastError();
                return false;
            }
        }
        ++m_done;
        if (m_progress)
            m_progress->StepProgress();
        if (afterRow)
            afterRow(m_done);
    }
    return true;
}

bool BulkWrite::commit()
{
    if (m_tx.commit())
        return true;
    m_error = m_tx.error();
    return false;
}

} // namespace store
