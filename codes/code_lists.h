#pragma once

#include <QString>
#include <QStringList>

class QSqlDatabase;

namespace codes {

// The two sorted code lists of the main window, which the import checks
// look codes up in.
struct CodeLists
{
    QStringList institutions; // UserCode.APID10
    QStringList banks;        // BankCode.Id
};

// Refills both lists from USERCODE.APID10 and BankCode.ID, each sorted
// case-insensitively. A list whose query fails stays empty; false then.
bool ReloadCodeLists(const QSqlDatabase& db, CodeLists& lists);

struct FieldCheck
{
    bool accepted = false;
    QString value;
    bool conversionError = false; // a date or number that does not convert
};

// Checks one cell of the consent-request template (columns 0..9).
FieldCheck CheckTemplateField(bool accept, int column, const QString& text, const CodeLists& codes);

} // namespace codes
