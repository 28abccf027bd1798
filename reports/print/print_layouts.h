#pragma once

#include "audit/read.h"
#include "reports/collections.h"
#include "reports/line_report.h"

#include <functional>

class QPainter;
class QRectF;

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

// 수납 현황: the month's figures per institution and the branch total, the
// failed lines by result code, the warnings, and below them what `chart`
// draws into the rectangle it is given (the twelve months' chart, drawn by
// the caller: Qt Charts needs the widget library).
void PaintCollections(QPagedPaintDevice* device, const CollectionReport& report,
                      const std::function<void(QPainter&, const QRectF&)>& chart = {});
QString CollectionsDocName();

// The change record's entries under `title` (the screen's period and
// filters), two rows each: who did what to which row, then the field with
// its old and new value; a value wider than its column is cut with "…".
void PaintChangeRecord(QPagedPaintDevice* device, const QString& title,
                       const std::vector<audit::Entry>& entries);
QString ChangeRecordDocName();

// The document names (the print job's name, the PDF's title): the batch
// detail and the line list share one, the batch list has its own. The
// caller names the document, since only it knows what kind of device it is.
QString TransferListDocName();
QString BatchListDocName();

// Thousands separated, "#,##0".
QString Grouped(qint64 value);

} // namespace reports
