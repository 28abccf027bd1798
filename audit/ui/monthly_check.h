#pragma once

#include <QDate>
#include <QSqlDatabase>

#include <functional>

namespace shell {
class Ui;
struct Workspace;
} // namespace shell

namespace audit {

// The monthly check of who changed what: at the first start of a month
// (by the program clock; Firm.ini remembers the month reminded), last
// month's count of changes and downloads, with the offer to look at them.
// `open` shows the change record over the period given. A record that
// cannot be counted is said and asked again at the next start; a month
// with neither changes nor downloads is passed over in silence. True when
// the reminder (or its failure) was shown.
bool RemindMonthlyCheck(QSqlDatabase db, shell::Ui& ui, const shell::Workspace& ws,
                        const std::function<void(const QDate& from, const QDate& to)>& open);

} // namespace audit
