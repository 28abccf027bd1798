#include "widgets/business_days.h"

#include "calendar/holidays.h"

#include <QCalendarWidget>
#include <QDate>
#include <QTextCharFormat>

namespace widgets {
namespace {

void markPage(QCalendarWidget* calendar, int year, int month)
{
    // The page shows some days of the months either side as well.
    calendar->setDateTextFormat(QDate(), QTextCharFormat());
    const QDate first(year, month, 1);
    QTextCharFormat red;
    red.setForeground(Qt::red);
    for (QDate d = first.addDays(-14); d <= first.addMonths(1).addDays(14); d = d.addDays(1))
        if (calendar::IsHoliday(d))
            calendar->setDateTextFormat(d, red);
}

} // namespace

void MarkNonBusinessDays(QCalendarWidget* calendar)
{
    if (!calendar)
        return;
    markPage(calendar, calendar->yearShown(), calendar->monthShown());
    QObject::connect(calendar, &QCalendarWidget::currentPageChanged, calendar,
                     [calendar](int year, int month) { markPage(calendar, year, month); });
}

} // namespace widgets
