// The demo data must hold together whatever day the demo is made: around
// the long holidays, at month ends, on a holiday itself.

#include "calendar/business_calendar.h"
#include "demo/demo_data.h"
#include "shell/clock.h"
#include "tests/support/data_fixture.h"

#include <QSqlQuery>

namespace {

class DemoDataOnAnyDay : public testing_support::DataTest,
                         public ::testing::WithParamInterface<const char*>
{
};

TEST_P(DemoDataOnAnyDay, DatesAndStatesHoldTogether)
{
    const QDateTime now = QDateTime::fromString(GetParam(), "yyyy-MM-dd HH:mm:ss");
    shell::FreezeNow(now);
    const QDate today = now.date();
    demo::DemoSummary summary;
    // The first send finds only what the demo then shows as sent: one batch
    // and the consents being registered or cancelled, all still waiting.
    QString atSend;
    const auto firstSend = [&] {
        atSend = dump("SELECT State, Count(*) FROM Apt1 GROUP BY State ORDER BY State") + "/" +
                 dump("SELECT DISTINCT Status FROM TongRegister ORDER BY Status");
        return true;
    };
    ASSERT_TRUE(demo::FillDemoData(*dm, path("AUTHFILE"), demo::kDemoSeed, &summary, firstSend));
    EXPECT_EQ(atSend, "0|1\n1|1\n3|8/0\n2\n3\n4\n6\n7");
    EXPECT_TRUE(ui.messages().isEmpty());
    EXPECT_EQ(summary.institutions, 3);
    EXPECT_EQ(summary.batches, 12);
    EXPECT_EQ(value("SELECT Count(*) FROM Apt2").toInt(), summary.lines);
    EXPECT_EQ(value("SELECT Count(*) FROM Evidential").toInt(), summary.evidence);

    // Business days by the installation's calendar: announced closures too.
    QSqlDatabase calendarDb = db();
    const calendar::BusinessCalendar cal = calendar::LoadBusinessCalendar(calendarDb, ui).value();
    QSqlQuery q(db());
    ASSERT_TRUE(q.exec("SELECT AptID, State, IcheDate, SendDate, Rdate FROM Apt1"));
    while (q.next()) {
        const int state = q.value(1).toInt();
        const QDate transfer = q.value(2).toDate();
        const QDate sent = q.value(3).toDate();
        const QDate answered = q.value(4).toDate();
        SCOPED_TRACE(q.value(0).toString().toStdString());
        EXPECT_FALSE(cal.isHoliday(transfer));
        if (state == 1) {
            EXPECT_GT(transfer, today);
            EXPECT_LE(transfer, today.addDays(20));
        }
        if (state >= 2) {
            EXPECT_FALSE(cal.isHoliday(sent));
            EXPECT_LT(sent, transfer);
            EXPECT_LE(sent, today);
        }
        if (state == 3) {
            EXPECT_FALSE(cal.isHoliday(answered));
            EXPECT_GT(answered, transfer);
            EXPECT_LE(answered, today);
        }
    }
    // Nothing marked this send sent, so the batch and the consents still wait.
    EXPECT_EQ(dump("SELECT State, Count(*) FROM Apt1 GROUP BY State ORDER BY State"),
              "0|1\n1|3\n3|8");
    EXPECT_EQ(dump("SELECT DISTINCT Status FROM TongRegister ORDER BY Status"), "0\n2\n3\n4\n6\n7");
    const QString stamp = now.toString("yyyy-MM-dd HH:mm:ss");
    EXPECT_EQ(value("SELECT Count(*) FROM TongRegister WHERE RequestDate > ? OR Senddate > ? OR "
                    "Receivedate > ? OR Senddate < RequestDate OR Receivedate < Senddate",
                    {stamp, stamp, stamp})
                  .toInt(),
              0);
    // Evidence of a waiting registration was sent within the week the request may use it.
    const QString weekAgo = today.addDays(-7).toString("yyyyMMdd");
    EXPECT_EQ(value("SELECT Count(*) FROM Evidential e JOIN TongRegister t ON e.CUSTNO = t.Giganid "
                    "AND e.CMSSERIALNO = t.NapbuNO WHERE t.Status = 0 AND e.SENDSTATE = '1' AND "
                    "(e.SENDDATE <= ? OR e.SENDDATE > ?)",
                    {weekAgo, today.toString("yyyyMMdd")})
                  .toInt(),
              0);
}

INSTANTIATE_TEST_SUITE_P(Days, DemoDataOnAnyDay,
                         ::testing::Values("2024-02-13 09:00:00",   // after the lunar new year
                                           "2024-09-19 17:59:00",   // after the autumn holidays
                                           "2024-03-01 12:00:00",   // a holiday
                                           "2024-12-31 23:50:00",   // the year's last minutes
                                           "2025-03-03 08:00:00",   // a Monday after a holiday
                                           "2026-05-22 10:00:00",   // before a substitute Monday
                                           "2024-04-05 10:00:00")); // before election day
} // namespace
