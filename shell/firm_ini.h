#pragma once

#include <QString>

// The settings file Firm.ini (CP949) of the workspace given. Each access
// opens the file, reads or writes one key and closes it; garbage values read
// as their defaults.
namespace shell {

struct Workspace;

// The program password, stored with every byte complemented.
QString ReadPassword(const Workspace& ws);

struct StoredPassword
{
    QString text;
    // False when a value is stored that does not read back as any password
    // (one cut by the reader at a byte that complements to a line break, or
    // bytes edited by hand): it must never count as "no password".
    bool readable = true;
};
StoredPassword ReadStoredPassword(const Workspace& ws);

// True when `password` reads back whole once stored: every character has a
// CP949 form and no byte of the stored form is CR or LF.
bool IsStorablePassword(const QString& password);
// Refuses what IsStorablePassword refuses; after writing reads the password
// back, and on any difference puts the previous value back and fails.
bool WritePassword(const Workspace& ws, const QString& password);
// The largest amount of one transfer line in won ([General] Apt, millions).
qint64 ReadAmountLimit(const Workspace& ws);
QString ReadBackgroundPicture(const Workspace& ws);
bool WriteBackgroundPicture(const Workspace& ws, const QString& name);
int ReadNoticeTextColor(const Workspace& ws);
bool WriteNoticeTextColor(const Workspace& ws, int color);
int ReadNoticeBackColor(const Workspace& ws);
bool WriteNoticeBackColor(const Workspace& ws, int color);
// The month ("yyyy-MM") whose start last showed the change record's monthly
// reminder ([Audit] LastCheck); empty when none has.
QString ReadLastAuditCheck(const Workspace& ws);
bool WriteLastAuditCheck(const Workspace& ws, const QString& month);

// Every byte complemented (255 minus the byte).
QByteArray ScrambleBytes(const QByteArray& bytes);

} // namespace shell
