#include "widgets/business_days.h"

#include <QCalendarWidget>
#include <QEvent>
#include <QTextCharFormat>

namespace widgets {
namespace {

void markPage(QCalendarWidget* calendar, const ClosedDay& closed)
{
    // The page shows some days of the months either side as well.
    calendar->setDateTextFormat(QDate(), QTextCharFormat());
    const QDate first(calendar->yearShown(), calendar->monthShown(), 1);
    QTextCharFormat red;
    red.setForeground(Qt::red);
    for (QDate d = first.addDays(-14); d <= first.addMonths(1).addDays(14); d = d.addDays(1))
        if (closed(d))
            calendar->setDateTextFormat(d, red);
}

// Marks the page again each time the pop-up opens: the calendar behind
// `closed` may have been read anew since the page was last marked.
class MarkOnShow : public QObject
{
public:
    MarkOnShow(QCalendarWidget* calendar, ClosedDay closed)
        : QObject(calendar), m_calendar(calendar), m_closed(std::move(closed))
    {
    }
    void mark() { markPage(m_calendar, m_closed); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_calendar && event->type() == QEvent::Show)
            mark();
        return false;
    }

private:
    QCalendarWidget* m_calendar;
    ClosedDay m_closed;
};

} // namespace

void MarkNonBusinessDays(QCalendarWidget* calendar, ClosedDay closed)
{
    if (!calendar || !closed)
        return;
    auto* marker = new MarkOnShow(calendar, std::move(closed));
    calendar->installEventFilter(marker);
    marker->mark();
    QObject::connect(calendar, &QCalendarWidget::currentPageChanged, marker,
                     [marker](int, int) { marker->mark(); });
}

} // namespace widgets
