#include "reports/chart/collection_chart.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QDir>
#include <QGraphicsScene>
#include <QImage>
#include <QLineSeries>
#include <QMap>
#include <QPainter>
#include <QSaveFile>
#include <QStackedBarSeries>
#include <QValueAxis>

#include <algorithm>

namespace reports {
namespace {

QFont chartFont(double points)
{
    QFont f(QStringLiteral("NanumGothic"));
    f.setPointSizeF(points);
    return f;
}

// The months by their number, the year span under the axis: twelve
// "yyyy-MM" do not fit under a chart beside the lists.
QBarCategoryAxis* monthAxis(const QStringList& months)
{
    auto* x = new QBarCategoryAxis;
    for (const QString& m : months)
        x->append(m.mid(5, 2));
    x->setLabelsFont(chartFont(8));
    if (!months.isEmpty()) {
        x->setTitleText(months.first() + " ~ " + months.last());
        x->setTitleFont(chartFont(8));
    }
    return x;
}

QChart* newChart(const QString& title)
{
    auto* chart = new QChart;
    chart->setTitle(title);
    chart->setTitleFont(chartFont(11));
    chart->legend()->setFont(chartFont(8));
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setBackgroundRoundness(0);
    return chart;
}

} // namespace

QChart* NewRateChart(const CollectionReport& report)
{
    QChart* chart = newChart(QStringLiteral("기관별 수납률 (금액, %)"));
    QBarCategoryAxis* x = monthAxis(report.months);
    auto* y = new QValueAxis;
    y->setRange(0, 100);
    y->setLabelFormat("%d");
    y->setLabelsFont(chartFont(8));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    QMap<QString, QLineSeries*> series; // by institution
    for (const CollectionRow& row : report.history) {
        const qsizetype at = report.months.indexOf(row.month);
        if (at < 0)
            continue;
        QLineSeries*& s = series[row.institution];
        if (!s) {
            s = new QLineSeries;
            s->setName(row.name.isEmpty() ? row.institution : row.name);
            s->setPointsVisible(true);
        }
        s->append(double(at), row.figures.rate());
    }
    for (QLineSeries* s : series) {
        chart->addSeries(s);
        s->attachAxis(x);
        s->attachAxis(y);
    }
    // A legend of forty complexes would hide the lines.
    chart->legend()->setVisible(series.size() <= 12);
    return chart;
}

QChart* NewFailureChart(const CollectionReport& report)
{
    QChart* chart = newChart(QStringLiteral("불능 사유별 건수"));
    QBarCategoryAxis* x = monthAxis(report.months);
    auto* y = new QValueAxis;
    y->setLabelFormat("%d");
    y->setLabelsFont(chartFont(8));
    auto* bars = new QStackedBarSeries;
    QMap<QString, QBarSet*> sets; // by result code
    qint64 highest = 0;
    QMap<QString, qint64> perMonth;
    for (const FailureRow& f : report.historyFailures) {
        const qsizetype at = report.months.indexOf(f.month);
        if (at < 0)
            continue;
        QBarSet*& set = sets[f.code];
        if (!set) {
            set = new QBarSet(f.text.isEmpty() ? f.code : f.code + " " + f.text);
            for (int i = 0; i < report.months.size(); ++i)
                set->append(0);
        }
        set->replace(int(at), set->at(int(at)) + double(f.count));
        highest = std::max(highest, perMonth[f.month] += f.count);
    }
    for (QBarSet* set : sets)
        bars->append(set);
    chart->addSeries(bars);
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    bars->attachAxis(x);
    bars->attachAxis(y);
    y->setRange(0, std::max<qint64>(highest, 1));
    y->applyNiceNumbers();
    return chart;
}

void PaintCollectionCharts(QPainter& painter, const QRectF& target, const CollectionReport& report)
{
    QGraphicsScene scene;
    QChart* rates = NewRateChart(report);
    QChart* failures = NewFailureChart(report);
    scene.addItem(rates);
    scene.addItem(failures);
    const QSizeF size(target.width(), target.height() / 2);
    rates->setGeometry(QRectF(QPointF(0, 0), size));
    failures->setGeometry(QRectF(QPointF(0, size.height()), size));
    scene.setSceneRect(QRectF(QPointF(0, 0), target.size()));
    scene.render(&painter, target, scene.sceneRect());
}

platform::Result<> WriteChartPng(const CollectionReport& report, const QString& path, int width,
                                 int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        PaintCollectionCharts(painter, QRectF(0, 0, width, height), report);
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !image.save(&file, "PNG") || !file.commit())
        return platform::Fail(QStringLiteral("차트 파일을 만들 수 없습니다: ") +
                              QDir::toNativeSeparators(path) + " (" + file.errorString() + ")");
    return {};
}

} // namespace reports
