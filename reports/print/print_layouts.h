#pragma once

#include "reports/line_report.h"

class QPagedPaintDevice;

namespace reports {

// The printed lists, drawn page by page on any paged device: a printer or
// its preview (the screens), a PDF writer (pelmar-tool). A4 portrait.

// The batch with its summary block and, when `withLines`, its lines two rows
// each.
// `institution` is the label of InstitutionLabel.
void PaintBatchDetail(QPagedPaintDevice* device, const TransferBatch& batch,
                      const QString& institution, const QList<TransferItem>& lines, bool withLines);
// The lines one row each under the list header.
void PaintLineList(QPagedPaintDevice* device, const QList<TransferItem>& lines);
// Every batch, one row each.
void PaintBatchList(QPagedPaintDevice* device, const QList<TransferBatch>& batches);

// The document names (the print job's name, the PDF's title): the batch
// detail and the line list share one, the batch list has its own. The
// caller names the document, since only it knows what kind of device it is.
QString TransferListDocName();
QString BatchListDocName();

// Thousands separated, "#,##0".
QString Grouped(qint64 value);

} // namespace reports
