#include "calendar/send_cutoffs.h"

#include "calendar/business_calendar.h"
#include "shell/clock.h"
#include "shell/ui.h"
#include "store/database.h"
#include "store/states.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTime>

namespace calendar {
namespace {

int AsHhmmss(const QTime& time)
{
    return time.hour() * 10000 + time.minute() * 100 + time.second();
}

} // namespace

QString SameDayTransferMessage()
{
    return QStringLiteral("Veltrin 당일이체 데이타가 존재 합니다. \n"
                          "당일이체시 오후 5시00분까지 가능하므로 자료를 삭제 또는 수정후 "
                          "송신하십시오");
}

QString ConsentHolidayMessage()
{
    return QStringLiteral("오늘은 공휴일입니다.출금동의 신청을 하실수 없습니다");
}

QString ConsentCutoffMessage()
{
    return QStringLiteral("출금동의 데이타가 존재 합니다. \n"
                          "Tervo은 당일 출금동의 신청시 18시까지 가능하므로,\n"
                          "평일 18시 이전에 재송신하세요");
}

bool CheckSameDayCutoff(QSqlDatabase& db, shell::Ui& ui)
{
    const QDateTime now = shell::Now();
    if (AsHhmmss(now.time()) <= kSameDayCutoff)
        return true;

    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT Count(*) AS Cnt FROM Apt1 a, UserCode b"
                                 " WHERE (a.IcheDate = :today) AND (b.APID10 = a.GiganID10)"
                                 " AND (a.State = :waiting)"));
    query.bindValue(QStringLiteral(":today"), now.date().toString(Qt::ISODate));
    query.bindValue(QStringLiteral(":waiting"), store::StoredValue(store::BatchState::Waiting));
    if (!query.exec() || !query.next()) {
        // Without the count we cannot tell; do not let a same-day batch slip.
        ui.ShowError(store::ReadFailureMessage(query.lastError()));
        return false;
    }
    if (query.value(0).toLongLong() > 0) {
        ui.ShowInfo(SameDayTransferMessage());
        return false;
    }
    return true;
}

std::optional<bool> CheckConsentCutoff(QSqlDatabase& db, shell::Ui& ui)
{
    const QDateTime now = shell::Now();
    // The branch calendar: an election day is a holiday, a re-opened day is not.
    const std::optional<BusinessCalendar> calendar = LoadBusinessCalendar(db, ui);
    if (!calendar)
        return std::nullopt;
    if (calendar->isHoliday(now.date())) {
        ui.ShowInfo(ConsentHolidayMessage());
        return false;
    }
    if (AsHhmmss(now.time()) < kConsentCutoff)
        return true;

    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT * FROM TongRegister WHERE Status IN (:waiting, "
                                 ":cancelling) LIMIT 1"));
    query.bindValue(QStringLiteral(":waiting"),
                    store::StoredValue(store::ConsentStatus::RegisterWaiting));
    query.bindValue(QStringLiteral(":cancelling"),
                    store::StoredValue(store::ConsentStatus::CancelWaiting));
    if (!query.exec()) {
        ui.ShowError(store::ReadFailureMessage(query.lastError()));
        return std::nullopt;
    }
    if (query.next()) {
        ui.ShowInfo(ConsentCutoffMessage());
        return false;
    }
    if (query.lastError().isValid()) {
        ui.ShowError(store::ReadFailureMessage(query.lastError()));
        return std::nullopt;
    }
    return true;
}

} // namespace calendar
