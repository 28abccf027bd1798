#pragma once

#include <QSqlDatabase>
#include <QString>

#include <optional>

namespace shell {
class Ui;
}

// The two time-of-day cut-offs before data leaves for the bank.
namespace calendar {

// Times written "HHMMSS" as numbers.
inline constexpr int kSameDayCutoff = 160000;
inline constexpr int kConsentCutoff = 180000;

QString SameDayTransferMessage();
QString ConsentHolidayMessage();
QString ConsentCutoffMessage();

// Before the exchange window opens for sending: after 16:00:00, a batch
// waiting to be sent (State 1) with today's transfer date, of a registered
// institution, stops the send. True: go on.
bool CheckSameDayCutoff(QSqlDatabase& db, shell::Ui& ui);

// Before the consent request file is built: never on a non-business day of
// the branch calendar, and from
// 18:00:00 on not while any consent waits for registration or cancellation
// (status 0 or 4). True: go on; false: the consents wait (said through
// `ui`); none: the calendar or the consents did not read (said as well).
std::optional<bool> CheckConsentCutoff(QSqlDatabase& db, shell::Ui& ui);

} // namespace calendar
