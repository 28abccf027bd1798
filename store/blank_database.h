#pragma once

#include "platform/result.h"

#include <QString>

namespace store {

// Builds an empty current-layout database file with the shipped reference
// rows (bank codes, outcome texts, result codes, a sample import layout)
// read from `referenceDir` (data/reference). Replaces `dbFile`.
platform::Result<> BuildBlankDatabase(const QString& dbFile, const QString& referenceDir);

// Writes BlankDB.bin: a ZIP holding Pelmar.db built as above.
platform::Result<> WriteBlankArchive(const QString& archive, const QString& referenceDir);

// Fills dataDir from the blank archive (or, when none is shipped, builds the
// database in place).
platform::Result<> FillFromBlank(const QString& dataDir);

} // namespace store
