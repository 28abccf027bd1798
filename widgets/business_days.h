#pragma once

class QCalendarWidget;

namespace widgets {

// Marks in red every non-business day of the bank's calendar on the month
// the calendar shows (holidays as well as weekends), and again whenever it
// turns to another month, so that a holiday is seen before a save refuses it.
void MarkNonBusinessDays(QCalendarWidget* calendar);

} // namespace widgets
