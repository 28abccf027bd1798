#pragma once

#include <QDate>

#include <functional>

class QCalendarWidget;

namespace widgets {

// Tells whether a day is closed; the screen answers from the business
// calendar it holds, which the branch may change while the screen is open.
using ClosedDay = std::function<bool(const QDate&)>;

// Marks in red every non-business day that `closed` names on the month the
// calendar shows (holidays as well as weekends), again whenever it turns to
// another month and whenever it is shown, so that a holiday is seen before a
// save refuses it.
void MarkNonBusinessDays(QCalendarWidget* calendar, ClosedDay closed);

} // namespace widgets
