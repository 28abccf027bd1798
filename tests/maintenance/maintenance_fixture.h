#pragma once

#include "maintenance/maintenance_context.h"
#include "tests/support/workspace_fixture.h"

#include <QStringList>

#include <ostream>

// Readable values in failure messages.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace testing_support {

// A workspace with a database holding a few batches, and small helpers to
// read the data back.
class MaintenanceTest : public WorkspaceTest
{
protected:
    void SetUp() override;
    void TearDown() override;

    void makeDatabase(int batches = 3);
    // Runs statements on DataDir/Pelmar.db (or `file`); fails the test on an error.
    void exec(const QStringList& sql, const QString& file = {});
    // Every row of every table, "table|v1|v2…", sorted; or of one table.
    QStringList dump(const QString& file = {}, const QString& table = {});
    QStringList tables(const QString& file = {});
    QString dbFile() const;

    maintenance::Context context(maintenance::Program program = maintenance::Program::Pelmar);
};

// Writes a ZIP holding `entries` (name → bytes) under the names as given;
// those named in `links` are stored as symbolic links.
void WriteRawZip(const QString& archive, const QList<QPair<QByteArray, QByteArray>>& entries,
                 const QList<QByteArray>& links = {});

} // namespace testing_support
