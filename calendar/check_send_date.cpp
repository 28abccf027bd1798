#include "calendar/check_send_date.h"
#include "store/database.h"

#include "calendar/civil_date.h"
#include "shell/clock.h"
#include "shell/ui.h"
#include "store/states.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QStringList>

#include <algorithm>

namespace calendar {
namespace {

// Table and field names go into the statements as text (they cannot be bound),
// so only plain identifiers are accepted.
bool IsIdentifier(const QString& name)
{
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return pattern.match(name).hasMatch();
}

} // namespace

QString TransferLabel()
{
    return QStringLiteral("이체");
}

QString RangeWarningCaption()
{
    return QStringLiteral("이체일자 설정범위 오류-Tervo(은행코드:11,12)");
}

QString RangeWarningText(const QString& label, int count)
{
    return QStringLiteral(" 설정범위를 초과한 [") + label + QStringLiteral("]자료가 ") +
           QString::number(count) + QStringLiteral("건 있습니다. ") + QStringLiteral("\n\n\n") +
           QStringLiteral(" Tervo으로 전송되는 이체자료의 이체일자 설정범위는 송신일로부터 ") +
           QString::number(kTransferDateRangeDays) + QStringLiteral("일 이내입니다.  ") +
           QStringLiteral("\n\n") +
           QStringLiteral(" 이 자료는 이체처리가 정상적으로 이루어지지 않을 수 있습니다. ") +
           QStringLiteral("\n\n") + QStringLiteral(" 이체자료의 송신을 계속 진행하시겠습니까?") +
           QStringLiteral("\n\n\n") +
           QStringLiteral("    예(Y) : [송신대기]상태인 이체자료의 전송을 계속 진행합니다. ") +
           QStringLiteral("\n\n") +
           QStringLiteral("    아니오(N) : [송신대기]상태인 이체자료의 전송을 중단합니다. ");
}

QString DuplicateWarningCaption()
{
    return QStringLiteral("[주의] 동일한 이체일로 송신된 이체자료 확인필요");
}

QString DuplicateWarningText()
{
    return QStringLiteral("동일한 일자에 대해, 동일한 기관코드로 여러건의 이체를 신청할 경우 \n\n"
                          "맨 마지막에 신청(전송)한 자료만 이체처리가 되니 \n\n"
                          "반드시 해당내용을 확인 후 처리하시기 바랍니다.\n\n\n"
                          "    예(Y) : [송신대기]상태인 이체자료의 전송을 계속 진행합니다. \n\n"
                          "    아니오(N) : [송신대기]상태인 이체자료의 전송을 중단합니다. ");
}

QString RangeStoppedStatus()
{
    return QStringLiteral("이체일자 범위를 초과한 자료가 있습니다.");
}

QString DuplicateStoppedStatus()
{
    return QStringLiteral("동일한 이체일로 송신된 이체자료가 있습니다.");
}

TCheckSendDate::TCheckSendDate(shell::Ui& ui) : ui_(ui) {}

TCheckSendDate::~TCheckSendDate() = default;

bool TCheckSendDate::Setup(QSqlDatabase& db, const QString& tableName, const QString& dateFieldName,
                           const QString& bankCodeFieldName)
{
    query_.reset();
    if (!db.isOpen())
        return false;
    if (!IsIdentifier(tableName) || !IsIdentifier(dateFieldName) ||
        (!bankCodeFieldName.isEmpty() && !IsIdentifier(bankCodeFieldName)))
        return false;
    query_ = std::make_unique<QSqlQuery>(db);
    tableName_ = tableName;
    dateFieldName_ = dateFieldName;
    bankCodeFieldName_ = bankCodeFieldName;
    return true;
}

bool TCheckSendDate::WaitingDates(QList<QDate>& dates)
{
    QString sql = QStringLiteral("SELECT ") + dateFieldName_ +
                  QStringLiteral(" AS DateIche FROM ") + tableName_ +
                  QStringLiteral(" WHERE (State = :state)");
    if (!bankCodeFieldName_.isEmpty())
        sql += QStringLiteral(" AND ((") + bankCodeFieldName_ + QStringLiteral(" = :bank1) OR (") +
               bankCodeFieldName_ + QStringLiteral(" = :bank2))");
    sql += QStringLiteral(" ORDER BY ") + dateFieldName_;

    query_->prepare(sql);
    query_->bindValue(QStringLiteral(":state"), store::StoredValue(store::BatchState::Waiting));
    if (!bankCodeFieldName_.isEmpty()) {
        query_->bindValue(QStringLiteral(":bank1"), QStringLiteral("11"));
        query_->bindValue(QStringLiteral(":bank2"), QStringLiteral("12"));
    }
    if (!query_->exec()) {
        ui_.ShowError(store::ReadFailureMessage(query_->lastError()));
        return false;
    }
    dates.clear();
    while (query_->next()) {
        // A batch without a transfer date can be neither out of range nor a
        // duplicate.
        const QDate date = QDate::fromString(query_->value(0).toString(), Qt::ISODate);
        if (date.isValid())
            dates.append(date);
    }
    query_->finish();
    return true;
}

bool TCheckSendDate::CheckDateRange(const QString& label)
{
    if (!query_)
        return true;
    QList<QDate> dates;
    if (!WaitingDates(dates))
        return false;
    const QDate today = shell::Today();
    const auto tooFar = std::count_if(dates.begin(), dates.end(), [&](const QDate& date) {
        return DaysBetween(date, today) >= kTransferDateRangeDays;
    });
    if (tooFar == 0)
        return true;
    return ui_.Ask(RangeWarningText(label, static_cast<int>(tooFar)),
                   shell::Ui::Yes | shell::Ui::No, shell::Ui::No) == shell::Ui::Yes;
}

bool TCheckSendDate::CheckDuplicateDate()
{
    if (!query_)
        return true;
    QList<QDate> dates;
    if (!WaitingDates(dates))
        return false;
    std::sort(dates.begin(), dates.end());
    dates.erase(std::unique(dates.begin(), dates.end()), dates.end());
    if (dates.isEmpty())
        return true;

    QStringList marks;
    for (qsizetype i = 0; i < dates.size(); ++i)
        marks.append(QStringLiteral("?"));
    query_->prepare(QStringLiteral("SELECT Count(*) AS cnt FROM ") + tableName_ +
                    QStringLiteral(" WHERE (State = ?) AND (") + dateFieldName_ +
                    QStringLiteral(" IN (") + marks.join(QLatin1Char(',')) + QStringLiteral("))"));
    query_->addBindValue(store::StoredValue(store::BatchState::Sent));
    for (const QDate& date : dates)
        query_->addBindValue(date.toString(Qt::ISODate));
    if (!query_->exec() || !query_->next()) {
        ui_.ShowError(store::ReadFailureMessage(query_->lastError()));
        return false;
    }
    const qint64 sent = query_->value(0).toLongLong();
    query_->finish();
    if (sent == 0)
        return true;
    return ui_.Ask(DuplicateWarningText(), shell::Ui::Yes | shell::Ui::No, shell::Ui::No) ==
           shell::Ui::Yes;
}

} // namespace calendar
