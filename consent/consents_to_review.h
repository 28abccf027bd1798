#pragma once

#include "platform/result.h"

#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QString>

// The consents the bank's answers put in doubt: those whose latest
// answered line failed with a code whose follow-up rule says 동의 확인 (the
// account is closed or unknown, no consent is on record …). The list only
// shows them; the branch decides what becomes of each consent.
namespace consent {

struct ConsentToReview
{
    // The consent as stored (TongRegister's key).
    QString giganId;
    QString bank;
    QString account;
    QString payer;
    QString name;
    // Its latest answered line.
    QString code;
    QString codeText; // CodeP's text; empty when CodeP lacks the code
    QDate transferDate;
};

// In institution, payer number, bank and account order. Consents being
// cancelled or cancelled are left out: the branch has acted on them. The
// engine's refusal of a read as the user's message.
platform::Result<QList<ConsentToReview>> ConsentsToReview(const QSqlDatabase& db);

} // namespace consent
