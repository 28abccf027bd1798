#pragma once

#include "platform/result.h"

#include "shell/save_outcome.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <optional>

namespace shell {
class Ui;
}

namespace codes {

// One collecting body (row of UserCode) as the institutions screen keeps it.
struct Institution
{
    qint64 Rec = 0; // 0 for a row not yet stored
    QString Name;
    QString APOUT;
    QString APIN;
    QString APPASS;
    QString APID10;
    QString APBCODE;
    QString BankNoApt;
    QString TREGISTEROUT = QStringLiteral("NA200");
    QString TREGISTERIN = QStringLiteral("NA200");
    QString AUTHSENDTYPE;
};

enum class InstitutionField { None, Name, APOUT, APIN, APPASS, APID10, APBCODE, BankNoApt, AUTHSENDTYPE };

using InstitutionSave = shell::SaveOutcome<InstitutionField>;

inline const QStringList kEvidenceKinds = {QStringLiteral("제출"), QStringLiteral("일부면제"),
                                           QStringLiteral("면제")};

// The operations of the institutions screen over UserCode. Messages go
// through the Ui; every change is logged.
class Institutions
{
public:
    Institutions(QSqlDatabase db, shell::Ui& ui);

    // In Name order; none after showing why the table did not read.
    std::optional<QList<Institution>> List() const;
    // The first institution of `code`, none when there is none; why not
    // when the table did not read.
    platform::Result<std::optional<Institution>> FindByCode(const QString& code) const;
    int CountBatches(const QString& code) const;

    // Asked before an edit or delete of a row whose code stands in batches;
    // false when the user abandons the operation.
    bool ConfirmInUse(const Institution& row);

    // Checks in order and stores the row; on refusal `focus` names the field.
    InstitutionSave Save(Institution& row, bool isNew);
    // Asks and deletes; `selected` is the number of selected rows (0: none).
    bool Delete(const Institution& row, int selected);

    static QString LogText(const QString& action, const Institution& row);

private:
    QSqlDatabase m_db;
    shell::Ui& m_ui;
};

} // namespace codes
