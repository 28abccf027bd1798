#pragma once

#include "consent/consent_request.h"

#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QString>

namespace shell {
class Ui;
struct Workspace;
} // namespace shell

// Evidence of the residents' consents: one file per consent, kept under
// AUTHFILE/ beside the program and recorded in Evidential. Files chosen on
// the evidence screen wait in AUTHTEMP/ until they are saved.
namespace consent {

struct EvidenceKind
{
    QString code;   // "1" to "6"
    QString name;   // "서면" …
    qint64 limit;   // bytes
    QString filter; // "description|*.a;*.b"
};

const QList<EvidenceKind>& EvidenceKinds();
// The extensions of a kind, lower case without "*.": empty for "*.*".
QStringList EvidenceExtensions(const EvidenceKind& kind);
const EvidenceKind* EvidenceKindByCode(const QString& code);
const EvidenceKind* EvidenceKindByName(const QString& name);
// The open dialog's filter in Qt's form: "서면파일 (*.jpg *.jpeg *.gif *.tif)".
QString QtFilter(const EvidenceKind& kind);

QString AuthFileDir(const shell::Workspace& ws); // ProgramDir + "AUTHFILE/"
QString AuthTempDir(const shell::Workspace& ws); // ProgramDir + "AUTHTEMP/"

// "전송전", "사용전" or "사용후": evidence older than seven days counts as
// not sent.
QString SendStateText(const QString& sendState, const QString& sendDate, const QDateTime& now);
// True when a stored Evidential.AUTHFILE may be used as a name inside
// AUTHFILE/: not absolute, no separator, no "..". Anything else could
// reach a file outside the workspace and send it to the bank.
bool IsAuthFileName(const QString& name);
// `text` with every character other than ASCII letters, digits, "-" and
// "_" replaced by "_", for the names built from institution and payer.
QString AuthFileNamePart(const QString& text);

// "" without a file, "파일정상" when it lies in AUTHFILE/, else "파일없음".
QString FileCheckText(const shell::Workspace& ws, const QString& authFile);

// One consent with its evidence, as the evidence screen lists it.
struct EvidenceRow
{
    QString NAME;
    QString Giganid;
    QString Bankcd;
    QString BankName;
    QString Bankno;
    QString NapbuNo;
    QString JuminNo;
    QString AUTHTYPE; // kind code
    QString AUTHFILE;
    QString SENDDATE;
    QString SENDSTATE;
    bool changed = false;
    bool hasRecord = false;

    ConsentKey key() const { return {Giganid, Bankcd, Bankno, NapbuNo}; }
};

enum class EvidenceFilter { All, WithoutFile, WithFile };
enum class EvidenceSearch { Name, Payer, Account };

class EvidenceFiles
{
public:
    EvidenceFiles(QSqlDatabase db, shell::Ui& ui, const shell::Workspace& ws);

    // Makes both folders and empties AUTHTEMP/. False (with the message)
    // when that fails.
    bool Open();
    // `institution` empty: every institution.
    QList<EvidenceRow> Query(const QString& institution, EvidenceFilter filter,
                             EvidenceSearch search, const QString& text) const;
    // Checks the chosen file and puts it into AUTHTEMP/ under its stored
    // name; `rows` are all rows shown, so that two rows never share a name.
    bool Attach(QList<EvidenceRow>& rows, int index, const QString& path);
    // Copies each new file into AUTHFILE/ and records it. A new file makes
    // the record "전송전" again (the bank holds only the file sent before);
    // a new kind alone keeps its send state. Stops at the first failure
    // with its message; rows saved before it stay saved.
    bool Save(const QList<EvidenceRow>& rows);

private:
    bool forgetSent(const ConsentKey& key);
    QString storedName(const QList<EvidenceRow>& rows, int index, const QString& suffix) const;

    QSqlDatabase m_db;
    shell::Ui& m_ui;
    const shell::Workspace& m_ws;
};

} // namespace consent
