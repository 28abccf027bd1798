#include "audit/ui/monthly_check.h"

#include "audit/read.h"
#include "shell/clock.h"
#include "shell/firm_ini.h"
#include "shell/log.h"
#include "shell/ui.h"

namespace audit {

bool RemindMonthlyCheck(QSqlDatabase db, shell::Ui& ui, const shell::Workspace& ws,
                        const std::function<void(const QDate& from, const QDate& to)>& open)
{
    const QDate today = shell::Today();
    const QString month = today.toString("yyyy-MM");
    if (shell::ReadLastAuditCheck(ws) == month)
        return false;
    const QDate from = QDate(today.year(), today.month(), 1).addMonths(-1);
    const QDate to = from.addMonths(1).addDays(-1);
    const platform::Result<PeriodCounts> counts = CountPeriod(db, from, to);
    if (!counts) {
        const QString message =
            QString("지난달(%1) 변경 이력을 셀 수 없습니다. 다음 시작 때 다시 확인합니다.\r")
                .arg(from.toString("yyyy-MM")) +
            counts.error();
        shell::WriteLog(message, true);
        ui.ShowError(message);
        return true;
    }
    // Remembered before the question: a program ended while it is open has
    // still reminded this month.
    if (!shell::WriteLastAuditCheck(ws, month))
        shell::WriteLog(QStringLiteral("월간 점검 알림을 Firm.ini에 적지 못했습니다."), true);
    // A month without changes or downloads has nothing to look at.
    if (counts->changes == 0 && counts->downloads == 0)
        return false;
    const QString text =
        QString("월간 점검: 지난달(%1) 변경 이력은 변경 %2건, 내려받기 %3건입니다.\r\r"
                "변경 이력 조회 화면에서 확인하시겠습니까?")
            .arg(from.toString("yyyy-MM"))
            .arg(counts->changes)
            .arg(counts->downloads);
    if (ui.Confirm(text, true) && open)
        open(from, to);
    return true;
}

} // namespace audit
