#pragma once

#include "platform/result.h"

#include <QHash>
#include <QSqlDatabase>
#include <QString>

#include <functional>
#include <optional>

namespace shell {
class Ui;
struct Workspace;
} // namespace shell

namespace store {

// Run on the main connection each time it opens on a data folder (after a
// preparation, once the migration is in): the change record (audit/) hangs
// its file and triggers there. A failure closes the connection and is shown
// as the opening's failure. Set once by each program that records changes;
// none by default, so the tests and tools that never set it are unchanged.
using MainConnectionHook =
    std::function<platform::Result<>(QSqlDatabase& db, const QString& dataDir)>;
void SetMainConnectionHook(MainConnectionHook hook);

// The data module: owns the connection to Data/Pelmar.db for the life of
// the program, brings an older file up to the current layout, hands out
// batch numbers and looks up the shared code tables. A new file is filled
// from the workspace's blank database and shipped files.
class TDM1
{
public:
    TDM1(shell::Ui& ui, const shell::Workspace& ws);
    ~TDM1();
    TDM1(const TDM1&) = delete;
    TDM1& operator=(const TDM1&) = delete;

    static QString DatabaseFile(const QString& dataDir);

    // Opens the main connection on dataDir (a folder without a database is
    // first filled from the blank database). Shows its message on failure.
    bool Connect(const QString& dataDir);
    void Close();
    bool IsOpen() const;

    // Creates what is missing and migrates an older layout, all in one
    // transaction; a failure leaves the file as it was and is reported.
    bool PrepareDatabase(const QString& dataDir);
    // Checks the shared tables and loads their lookups; shows the data
    // module's message when any of them cannot be used.
    bool OpenTables();
    // Reloads the code tables' lookups; false after showing why not.
    bool RefreshTables();

    // The next free number; none after showing why the table did not read.
    std::optional<int> NextNumber(const QString& table, const QString& field);
    std::optional<int> NextBatchNumber();
    std::optional<int> NextGroupNumber();

    // Lookups by key; empty when the key is not found.
    QString BankName(const QString& id) const;
    QString ResultText(const QString& id) const;
    QString OutcomeText(const QString& id) const;

    QSqlDatabase db() const;
    shell::Ui& ui() const { return m_ui; }
    const QString& dataDir() const { return m_dataDir; }
    const shell::Workspace& workspace() const { return m_ws; }

    static const QString kUnusableMessage;

private:
    bool ensureDatabaseFile(const QString& dataDir);
    bool runConnectionHook(const QString& dataDir);

    shell::Ui& m_ui;
    const shell::Workspace& m_ws;
    QString m_mainName;
    QString m_updateName;
    QString m_dataDir;
    QHash<QString, QString> m_bankNames;
    QHash<QString, QString> m_resultTexts;
    QHash<QString, QString> m_outcomeTexts;
};

} // namespace store
