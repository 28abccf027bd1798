#pragma once

#include "reports/line_report.h"

class QPrinter;

namespace reports {

// The printed lists, drawn page by page on any printer (also a PDF file or
// the preview). A4 portrait.

// The batch with its summary block and, when `withLines`, its lines two rows
// each.
// `institution` is the label of InstitutionLabel.
void PaintBatchDetail(QPrinter* printer, const TransferBatch& batch, const QString& institution,
                      const QList<TransferItem>& lines, bool withLines);
// The lines one row each under the list header.
void PaintLineList(QPrinter* printer, const QList<TransferItem>& lines);
// Every batch, one row each.
void PaintBatchList(QPrinter* printer, const QList<TransferBatch>& batches);

// Thousands separated, "#,##0".
QString Grouped(qint64 value);

} // namespace reports
