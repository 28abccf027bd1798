#pragma once

#include "consent/consent_request.h"
#include "platform/result.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QString>

namespace platform {
class SecureUploader;
}
namespace shell {
class Ui;
struct Workspace;
}

// Sending consent evidence to the secure-transfer server: one evidence
// transfer file per institution ("FB0110…", 1024-byte blocks), uploaded
// through the secure client, and the client's two configuration files.
namespace consent {

// "0" full submission, "1" records without file content, "2" exempt.
QString SubmissionClass(const QString& authSendType);

// One data record of the transfer file.
struct EvidenceItem
{
    QString JuminNO;
    QString NapbuNO;
    QString Bankcd;
    QString Bankno;
    QString AUTHTYPE;
    QString extension;  // without the point; class "0" only
    QByteArray content; // class "0" only
};

// Blanks after a data record's file content so that it ends on a block.
int EvidencePadding(qint64 contentSize);

// Refused (with the reason) when a number is wider than its field: a
// cut size would leave the rest of the file unreadable.
platform::Result<QByteArray> EvidenceTransferBytes(const QString& institution, const QDate& today,
                                                   const QString& sendId,
                                                   const QString& submissionClass,
                                                   const QList<EvidenceItem>& items);
QString EvidenceTransferFileName(const QString& institution, const QDateTime& now);

// The stored transfer ID and key (upper case); empty when none is stored.
struct EvidenceAuthKey
{
    QString SendId;
    QString AuthKey;
};
// The stored key (empty when none is stored); the failure is the user's
// message.
platform::Result<EvidenceAuthKey> ReadEvidenceAuthKey(QSqlDatabase db);
// Stores the pair in upper case; false (with the table's message) on error.
bool StoreEvidenceAuthKey(QSqlDatabase db, shell::Ui& ui, const EvidenceAuthKey& key);

// The secure-transfer server's web address: [Site] EvidenceHost of the
// Firm.ini at `firmIniPath`.
QString EvidenceServerAddress(const QString& firmIniPath);
inline constexpr const char* kDefaultEvidenceHost = "evidence.tervo.example";

// Writes conf/Kavol.conf (when missing, with the server address of
// programDir's Firm.ini) and conf/org.conf under `programDir`, each through a
// temporary name. False when conf/ cannot be made or written.
bool WriteSecureClientConfig(const QString& programDir, const EvidenceAuthKey& key);

struct EvidenceSendRun
{
    QString programDir;  // where conf/, AUTHFILE/ and AUTHTEMP/ lie
    QString libraryPath; // the secure client's library
};
// The library beside the programs: in ProgramDir when it carries one, else
// beside the running executable.
QString DefaultSecurelinkPath(const shell::Workspace& ws);

// Sends the evidence of `selected` (in selection order), each transfer
// file recorded as sent as soon as the client took it. Evidence sent and
// not yet used within the seven days is not sent again; the consents of an
// upload that a crash left unresolved go again only when the user confirms.
// True when the transmission completed (every institution exempt, or
// nothing left to send, included).
bool SendEvidence(QSqlDatabase db, shell::Ui& ui, platform::SecureUploader& uploader,
                  const EvidenceSendRun& run, const QList<ConsentKey>& selected);

} // namespace consent
