#pragma once

#include <QString>

namespace testing_support {

// Fills a prepared database with one institution and `batches` sent
// batches of `linesPerBatch` lines each (State 1, four banks), as the
// screens would leave them before a request run. Returns an error text, or
// an empty string when every row went in (one transaction).
QString FillFullSizeBatches(const QString& dbFile, int batches, int linesPerBatch);

} // namespace testing_support
