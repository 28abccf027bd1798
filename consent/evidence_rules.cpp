#include "consent/evidence_rules.h"

#include "consent/evidence_files.h"
#include "store/database.h"
#include "store/states.h"

#include <QFileInfo>
#include <QSqlError>

namespace consent {

void BindEvidenceKey(QSqlQuery& q, const ConsentKey& k)
{
    q.bindValue(":eb", k.Bankcd.trimmed());
    q.bindValue(":ec", k.Giganid.trimmed());
    q.bindValue(":ep", k.NapbuNO.trimmed());
    q.bindValue(":ea", k.Bankno.trimmed());
}

EvidenceCheck::EvidenceCheck(QSqlDatabase db, const QDate& today)
    : m_db(std::move(db)), m_since(today.addDays(-7).toString("yyyyMMdd")), m_sent(m_db)
{
    m_sent.prepare(QString("SELECT 1 FROM EVIDENTIAL WHERE") + kEvidenceKeyMatch +
                   "AND SENDSTATE = :sent AND SENDDATE > :since");
}

platform::Result<bool> EvidenceCheck::Exempt(const QString& institution)
{
    const auto known = m_exempt.constFind(institution);
    if (known != m_exempt.constEnd())
        return *known;
    QSqlQuery q(m_db);
    // An older consent may spell its institution in another case.
    q.prepare(" select AUTHSENDTYPE from USERCODE  where apid10 = :CorCode2 COLLATE NOCASE "
              " order by apid10 = :CorCode2 desc ");
    q.bindValue(":CorCode2", institution);
    if (!q.exec())
        return platform::Fail(store::ReadFailureMessage(q.lastError()));
    const bool exempt = q.next() && q.value(0).toString().trimmed() == QStringLiteral("면제");
    m_exempt.insert(institution, exempt);
    return exempt;
}

platform::Result<bool> EvidenceCheck::Ready(const ConsentKey& k)
{
    const platform::Result<bool> exempt = Exempt(k.Giganid);
    if (!exempt || *exempt)
        return exempt;
    BindEvidenceKey(m_sent, k);
    m_sent.bindValue(":sent", store::StoredValue(store::EvidenceSendState::Sent));
    m_sent.bindValue(":since", m_since);
    if (!m_sent.exec())
        return platform::Fail(store::ReadFailureMessage(m_sent.lastError()));
    const bool ready = m_sent.next();
    m_sent.finish();
    return ready;
}

platform::Result<> MarkEvidenceUsed(QSqlDatabase db, const QList<ConsentKey>& consents)
{
    QSqlQuery q(db);
    if (!q.prepare(QString("UPDATE EVIDENTIAL SET SENDSTATE = :used WHERE") + kEvidenceKeyMatch +
                   "AND SENDSTATE = :sent AND EXISTS (SELECT 1 FROM TongRegister WHERE "
                   "Giganid = :g AND Bankcd = :b AND Bankno = :n AND NapbuNO = :p "
                   "AND Status IN (:waiting, :registering))"))
        return platform::Fail(store::WriteErrorMessage(q.lastError()));
    for (const ConsentKey& k : consents) {
        q.bindValue(":used", store::StoredValue(store::EvidenceSendState::Used));
        q.bindValue(":sent", store::StoredValue(store::EvidenceSendState::Sent));
        BindEvidenceKey(q, k);
        q.bindValue(":g", k.Giganid);
        q.bindValue(":b", k.Bankcd);
        q.bindValue(":n", k.Bankno);
        q.bindValue(":p", k.NapbuNO);
        q.bindValue(":waiting", store::StoredValue(store::ConsentStatus::RegisterWaiting));
        q.bindValue(":registering", store::StoredValue(store::ConsentStatus::Registering));
        if (!q.exec())
            return platform::Fail(store::WriteErrorMessage(q.lastError()));
    }
    return {};
}

platform::Result<> CheckEvidenceFile(const EvidenceKind& kind, const QString& name, qint64 size)
{
    if (size <= 0)
        return platform::Fail(QStringLiteral("빈 파일은 증빙 파일로 사용할 수 없습니다."));
    if (size > kind.limit)
        return platform::Fail("파일 사이즈가 큽니다.\r\n" + kind.name + "파일은 " +
                              QString::number(kind.limit / 1024) + "K이하만 사용 가능 합니다.");
    const QStringList allowed = EvidenceExtensions(kind);
    if (!allowed.isEmpty() && !allowed.contains(QFileInfo(name).suffix().toLower()))
        return platform::Fail(kind.name + "파일은 " + kind.filter.section('|', 1) +
                              " 파일만 사용 가능 합니다.");
    return {};
}

QString EvidenceConsentText(const ConsentKey& k)
{
    return QStringLiteral("기관코드 %1, 납부자번호 %2, 은행 %3, 계좌 %4")
        .arg(k.Giganid.trimmed(), k.NapbuNO.trimmed(), k.Bankcd.trimmed(), k.Bankno.trimmed());
}

} // namespace consent
