#pragma once

#include <QSqlDatabase>
#include <QString>

namespace store {

struct MigrationResult
{
    bool ok = false;
    QString step;  // the step that failed
    QString error; // the engine's text
    int skippedConsents = 0; // consents whose DisplayBankno could not be saved
};

// Runs every step of bringing `db` to the current layout, in order, inside
// the caller's transaction. Stops at the first failing step. The closures
// this release knows of are read from `closuresFile` (ShippedClosuresFile).
MigrationResult RunMigration(QSqlDatabase& db, const QString& closuresFile);

// The 14-digit account form kept for consents: hyphens removed, right-aligned
// and zero-filled to 14, cut to the first 14 when longer.
QString DisplayBankno(const QString& bankNo);

} // namespace store
