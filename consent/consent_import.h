#pragma once

#include "codes/code_lists.h"
#include "shell/import_helpers.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <optional>

namespace shell {
class Ui;
}

// Importing consents from a spreadsheet (the consent screen's 데이타 읽기),
// the layouts kept for it, and the consent search.
namespace consent {

// The ten columns of a consent import, in spreadsheet order.
QStringList ImportColumnNames();

// One stored layout (row of TongRegisterConv): ten start/length pairs.
struct ConsentLayout
{
    QString NAME;
    int LEN = 0;
    int start[10] = {};
    int size[10] = {};

    QList<shell::LayoutRow> rows() const;
};

QList<ConsentLayout> ReadConsentLayouts(const QSqlDatabase& db);
// Shows "자료명칭이 중복됩니다." for a name another layout has, any other
// table error as store::WriteErrorMessage says it.
bool SaveConsentLayout(const QSqlDatabase& db, shell::Ui& ui, const ConsentLayout& layout,
                       const QString& oldName = {});
bool DeleteConsentLayout(const QSqlDatabase& db, const QString& name);

// What the preview makes of the rows of a spreadsheet (row 0 the titles):
// every cell checked and normalised, the blocking errors, and the account
// numbers to look at again (which do not block).
using ConsentPreview = shell::ImportPreview;
ConsentPreview CheckConsentRows(const QList<QStringList>& rows, const codes::CodeLists& codes);

struct ConsentImportOutcome
{
    int imported = 0;
    QStringList report; // tag + description, one entry a line
    QString reportPath; // Temp/출금동의신청.txt when anything was reported
    bool failed = false; // the register could not be read or written: nothing stored
};

// Stores the preview's rows (titles first) as waiting consents in one
// transaction: duplicates and rows without a real-name number are reported
// and skipped, every new row is reported too. Writes the report file into
// `tempDir` (the workspace's Temp/) and the activity-log lines (`caption`
// begins them). Only a register that cannot be read or written is shown
// (`failed`; a row a table rule refuses is reported like a duplicate).
ConsentImportOutcome ImportConsentRows(QSqlDatabase db, shell::Ui& ui,
                                       const QList<QStringList>& rows, const QString& caption,
                                       const QString& layoutName, const QString& fileName,
                                       const QString& tempDir);

// The whole import as the consent screen runs it after the preview: the
// rows stored, the report box and the report opened in the text editor,
// then "%d 건의 자료가 변환되었습니다.".
ConsentImportOutcome ImportConsents(QSqlDatabase db, shell::Ui& ui, const QList<QStringList>& rows,
                                    const QString& caption, const QString& layoutName,
                                    const QString& fileName, const QString& tempDir);

// The consent search: every non-empty field must equal the consent's.
struct ConsentSearch
{
    QString Name;
    QString JuminNo;
    QString BankNo;
    QString NapbuNo;
};
struct ConsentRecord;
bool Matches(const ConsentRecord& row, const ConsentSearch& search);
// The first match at or after `from`; -1 when none.
int FindConsent(const QList<ConsentRecord>& rows, int from, const ConsentSearch& search);

} // namespace consent
