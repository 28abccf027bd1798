#pragma once

#include "consent/consent_request.h"
#include "consent/consent_status.h"
#include "platform/result.h"
#include "shell/save_outcome.h"
#include "store/migration.h"

#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>

#include <array>
#include <optional>

namespace shell {
class Ui;
}

// The consent register: what the consent screen shows and changes. Every
// refusal shows its own message; the screen only moves the focus.
namespace consent {

// One row of TongRegister as the screen keeps it.
struct ConsentRecord
{
    QString Giganid;
    QString Bankcd;
    QString Bankno;
    QString NapbuNO;
    QVariant Status; // may be empty
    QString NAME;
    QDateTime RequestDate;
    QDateTime Senddate;
    QDateTime Receivedate;
    QVariant ResultCD; // may be empty
    bool CheckJumin = false;
    QString JuminNO;
    QVariant ResultYN;
    QString DisplayBankno;

    ConsentKey key() const { return {Giganid, Bankcd, Bankno, NapbuNO}; }
    QString cStatus() const;
    QString cResultCD() const;
    // 1 and 5: the request is at the bank.
    bool AtBank() const;
};

// The account number zero-filled to 14 digits, as the migration fills
// the older rows.
using store::DisplayBankno;

// True when a consent with this institution and payer number (case
// ignored), bank and account (hyphens ignored) is registered.
platform::Result<bool> ConsentExists(const QSqlDatabase& db, const QString& giganid,
                                     const QString& bankcd,
                   const QString& bankno, const QString& napbuno);

// The institution code as the institutions (UserCode.APID10) spell it,
// found without regard to case; the trimmed code itself when none has it.
// Consents are stored under this spelling, which the files to the bank use.
// The failure is the user's message.
platform::Result<QString> RegisteredInstitutionCode(const QSqlDatabase& db, const QString& code);

// "" for no code, "정상처리" for 0, else "[code]" and the code's text.
QString ResultCodeText(const QVariant& resultCd);

// True when a real-name number is a full resident registration number
// (longer than 12 characters once trimmed).
bool IsFullJumin(const QString& juminNo);

enum class ConsentField { None, Bank, Account, Name, Institution, Jumin, Payer };

using ConsentSave = shell::SaveOutcome<ConsentField>;

enum class ConsentOrder { None, StatusAccount, StatusSendDate };

struct StatusCounts
{
    std::array<int, store::kConsentStatusCount> perStatus{};
    int total = 0;
};

// A consent as the spreadsheet export writes it, in the export's column
// order: state, name, institution, bank, account (display form), payer
// number, resident number, send date, receive date, result.
QStringList ConsentExportRow(const ConsentRecord& consent);

class ConsentRegister
{
public:
    ConsentRegister(QSqlDatabase db, shell::Ui& ui);

    StatusCounts Counts() const;
    // All rows, or those of one status, in the chosen order.
    // None after showing why the register did not read.
    std::optional<QList<ConsentRecord>> List(std::optional<ConsentStatus> status,
                                             ConsentOrder order) const;

    // The check before a new entry: false (with the message) when a
    // selected consent is at the bank.
    bool MayInsert(const QList<ConsentRecord>& selected);
    // A new consent. Checks in order; on refusal `focus` names the field.
    ConsentSave Save(ConsentRecord& row);

    // Moves the selected consents to 0 or 4. False when nothing changed
    // (refused, abandoned or failed before the first row).
    bool RequestRegistration(const QList<ConsentRecord>& selected);
    bool RequestCancellation(const QList<ConsentRecord>& selected);

    // True when the consent may be requested without (more) evidence: its
    // institution is exempt or its own evidence (same bank, institution,
    // payer number and account) went out within seven days and was not used
    // by a request yet (EvidenceCheck).
    bool EvidenceReady(const ConsentRecord& row) const;

    // Cuts every stored 13-digit real-name number to its birth date.
    bool ConvertJumin();

    // `rows` are the consents to delete (the current one when nothing is
    // selected); `selected` says which question to ask.
    bool Delete(const QList<ConsentRecord>& rows, int selected);

    static QString LogText(const QString& action, const ConsentRecord& row);

private:
    bool moveTo(const QList<ConsentRecord>& selected, ConsentStatus status, bool registration);

    QSqlDatabase m_db;
    shell::Ui& m_ui;
};

// The screen's title, which also begins the duplicate message.
inline constexpr const char* kConsentRegisterTitle = "출금동의 등록/해지";
inline constexpr const char* kSelectHint =
    "키보드(Shift)+방향키, 마우스+키보드(CTRL)키를 이용하여 선택하세요";

} // namespace consent
