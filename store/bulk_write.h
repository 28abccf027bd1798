#pragma once

#include "store/transaction_guard.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <functional>

namespace shell {
class Ui;
}

namespace store {

// The same statements run for many rows (delete the selected lines, record
// a send) inside one transaction under TransactionGuard: each statement is
// prepared once, every row binds its values and runs them, the progress
// steps once a row, and commit() says whether the rows reached the file.
// Nothing stays when a row fails or the commit is refused, unless the
// caller commits the rows done before the failure itself.
class BulkWrite
{
public:
    // Binds row `row` (0-based) on `q`; each statement of a run gets the call.
    using Bind = std::function<void(QSqlQuery& q, int row)>;

    explicit BulkWrite(QSqlDatabase db);
    BulkWrite(const BulkWrite&) = delete;
    BulkWrite& operator=(const BulkWrite&) = delete;

    // Shows `text` with a bar over `rows` steps; every row run after it
    // steps the bar. Closing the window is the caller's, after its own
    // work that follows the commit.
    void showProgress(shell::Ui& ui, const QString& text, int rows);

    // Runs `statements` for rows 0 … rows-1 in order. False at the first
    // statement that cannot be prepared or run (error() says why, done()
    // counts the rows that went through); the transaction stays open.
    // `afterRow` is told how many rows are done after each one.
    bool run(const QStringList& statements, int rows, const Bind& bind,
             const std::function<void(int done)>& afterRow = {});
    bool run(const QString& statement, int rows, const Bind& bind,
             const std::function<void(int done)>& afterRow = {})
    {
        return run(QStringList{statement}, rows, bind, afterRow);
    }

    // True when every row run so far is in the file; on false nothing of
    // them is and error() says why.
    bool commit();

    QSqlError error() const { return m_error; }
    // The rows of the last run that went through.
    int done() const { return m_done; }

private:
    QSqlDatabase m_db;
    TransactionGuard m_tx;
    shell::Ui* m_progress = nullptr;
    QSqlError m_error;
    int m_done = 0;
};

} // namespace store
