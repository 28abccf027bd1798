#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QString>

namespace shell {
class Ui;
}

// The transfer lines about to be sent that have no completed consent: the
// bank refuses to debit them, so the user sees them before the send.
namespace exchange {

struct MissingConsent
{
    QString giganId; // the batch's institution
    QString bankCode;
    QString bankNo;  // as the line holds it
    QString napbuNo; // building and unit joined
};

using MissingConsentList = QList<MissingConsent>;

// The lines of the batches waiting to be sent (State 1) whose institution,
// bank, account and payer number (building and unit) match no registered
// consent (status 2). The four fields are compared one by one, the account
// by its digits and the bank by its group, as the consent files carry them.
// False (with the error shown) when the tables cannot be read.
bool FindMissingConsents(QSqlDatabase db, shell::Ui& ui, MissingConsentList& rows);

QString MissingConsentTitle();                 // "출금동의 안된 자료 목록"
QString MissingConsentStatus(qsizetype count); // "출금동의등록이 안된 자료(건):" + count
QStringList MissingConsentHeadings();
QStringList MissingConsentNotes();

} // namespace exchange
