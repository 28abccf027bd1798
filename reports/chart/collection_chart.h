#pragma once

#include "platform/result.h"
#include "reports/collections.h"

class QChart;
class QPainter;
class QRectF;

// The chart of the collection status over the twelve months ending with the
// report's month: the collection rate (collected won of requested won) of
// each institution, and the failed lines by result code, month by month.
// Needs a QApplication.
namespace reports {

QChart* NewRateChart(const CollectionReport& report);
QChart* NewFailureChart(const CollectionReport& report);

// Both charts, the rates above the failures, into `target`.
void PaintCollectionCharts(QPainter& painter, const QRectF& target, const CollectionReport& report);

// The same as a PNG file of `width` x `height` pixels.
platform::Result<> WriteChartPng(const CollectionReport& report, const QString& path,
                                 int width = 1200, int height = 900);

} // namespace reports
