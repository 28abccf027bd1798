#pragma once

#include <QString>

namespace store {

// Builds an empty current-layout database file with the shipped reference
// rows (bank codes, outcome texts, result codes, a sample import layout)
// read from `referenceDir` (data/reference). Replaces `dbFile`.
bool BuildBlankDatabase(const QString& dbFile, const QString& referenceDir, QString* error);

// Writes BlankDB.bin: a ZIP holding Pelmar.db built as above.
bool WriteBlankArchive(const QString& archive, const QString& referenceDir, QString* error);

// Fills dataDir from the blank archive (or, when none is shipped, builds the
// database in place).
bool FillFromBlank(const QString& dataDir, QString* error);

} // namespace store
