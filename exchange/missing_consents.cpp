#include "exchange/missing_consents.h"
#include "store/database.h"

#include "shell/ui.h"
#include "store/consent_key.h"
#include "store/states.h"

#include <QSet>
#include <QSqlError>
#include <QSqlQuery>

namespace exchange {

bool FindMissingConsents(QSqlDatabase db, shell::Ui& ui, MissingConsentList& rows)
{
    rows.clear();
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare("SELECT Giganid, Bankcd, Bankno, NapbuNO FROM TongRegister WHERE Status = ?");
    q.addBindValue(store::StoredValue(store::ConsentStatus::Registered));
    if (!q.exec()) {
        ui.ShowError(store::ReadFailureMessage(q.lastError()));
        return false;
    }
    const QSet<QString> registered = store::ConsentMatchKeys(q);
    q.finish();

    q.prepare("SELECT b.GiganID10, a.BankCode, a.BankNo, COALESCE(a.Dong, '') || "
              "COALESCE(a.Ho, '')\n"
              "FROM Apt2 a JOIN Apt1 b ON b.AptID = a.AptID\n"
              "WHERE b.State = ?\n"
              "ORDER BY b.AptID, a.Apt2ID");
    q.addBindValue(store::StoredValue(store::BatchState::Waiting));
    if (!q.exec()) {
        ui.ShowError(store::ReadFailureMessage(q.lastError()));
        return false;
    }
    while (q.next()) {
        MissingConsent m{q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                         q.value(3).toString()};
        if (!registered.contains(
                store::ConsentMatchKey(m.giganId, m.bankCode, m.bankNo, m.napbuNo)))
            rows.append(m);
    }
    return true;
}

QString MissingConsentTitle()
{
    return QStringLiteral("출금동의 안된 자료 목록");
}

QString MissingConsentStatus(qsizetype count)
{
    return QStringLiteral("출금동의등록이 안된 자료(건):") + QString::number(count);
}

QStringList MissingConsentHeadings()
{
    return {QStringLiteral("기관코드"), QStringLiteral("은행코드"), QStringLiteral("계좌번호"),
            QStringLiteral("납부자번호")};
}

QStringList MissingConsentNotes()
{
    return {QStringLiteral("출금동의 안된 이체자료는 출금이체 은행 송신시,"),
            QStringLiteral("출금이체 실패가 됩니다."),
            QStringLiteral("먼저 출금동의 신청을 작성 하시고, 송신하세요"),
            QStringLiteral("출금동의 안된 이체자료가 목록에 있으면 안됩니다."),
            QStringLiteral("출금동의 처리시간(신청후->결과수신)은 최대 2일 소요될 수 있습니다."),
            QStringLiteral(" ( 2008/1~2월은 출금동의 신청없이 출금이체 가능합니다)"),
            QStringLiteral("출금동의신청은 하루에 한번 18시 이전에 송신하시면 됩니다(최초 1회)")};
}

} // namespace exchange
