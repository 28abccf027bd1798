#pragma once

#include "platform/result.h"

#include <QString>

namespace shell {
struct Workspace;
}

namespace store {

// Builds an empty current-layout database file with the shipped reference
// rows (bank codes, outcome texts, result codes, a sample import layout)
// read from `referenceDir` (data/reference) and the shipped closures of
// `closuresFile`. Replaces `dbFile`.
platform::Result<> BuildBlankDatabase(const QString& dbFile, const QString& referenceDir,
                                      const QString& closuresFile);

// Writes BlankDB.bin: a ZIP holding Pelmar.db built as above.
platform::Result<> WriteBlankArchive(const QString& archive, const QString& referenceDir,
                                     const QString& closuresFile);

// Fills dataDir from the workspace's blank archive (or, when none is
// shipped, builds the database in place from its shipped folder).
platform::Result<> FillFromBlank(const QString& dataDir, const shell::Workspace& ws);

} // namespace store
