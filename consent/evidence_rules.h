#pragma once

#include "consent/consent_request.h"
#include "platform/result.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

// When evidence backs a consent: the one place that finds a consent's
// evidence record and says whether it may carry a registration request.
namespace consent {

struct EvidenceKind;

// The evidence record of a consent, by the key the table keeps: bank,
// institution, payer number and account as stored (trimmed). Never with
// hyphens dropped: "77-01" and "7701" are two consents with two files.
inline constexpr const char* kEvidenceKeyMatch =
    " BANKCD = :eb and CUSTNO = :ec and CMSSERIALNO = :ep and ACCTNO = :ea ";
void BindEvidenceKey(QSqlQuery& q, const ConsentKey& k);

// Says, consent by consent, whether a registration request may go: its
// institution is exempt ("면제"), or its evidence was sent within the last
// seven days (a send exactly seven days ago does not count) and not yet
// used by a request. Prepared once for many consents.
class EvidenceCheck
{
public:
    EvidenceCheck(QSqlDatabase db, const QDate& today);
    platform::Result<bool> Ready(const ConsentKey& k);
    platform::Result<bool> Exempt(const QString& institution);

private:
    QSqlDatabase m_db;
    QString m_since;
    QHash<QString, bool> m_exempt;
    QSqlQuery m_sent;
};

// Marks "used" (SENDSTATE "2") the sent evidence of each consent given that
// is a registration (waiting or on its way): it backed the request that
// carried the consent and may not back another. Runs inside the caller's
// open transaction and opens none; on failure the caller rolls back.
platform::Result<> MarkEvidenceUsed(QSqlDatabase db, const QList<ConsentKey>& consents);

// The attach's rules for a stored evidence file, applied again before it is
// sent: not empty, within its kind's size limit, of its kind's extensions
// (by `name`). The message says which rule the file breaks.
platform::Result<> CheckEvidenceFile(const EvidenceKind& kind, const QString& name, qint64 size);

// A consent as the messages and the log name it.
QString EvidenceConsentText(const ConsentKey& k);

} // namespace consent
