#pragma once

#include <QString>

// The settings file Firm.ini (CP949). Each access opens the file, reads or
// writes one key and closes it; garbage values read as their defaults.
namespace shell {

// The program password, stored with every byte complemented.
QString ReadPassword();

struct StoredPassword
{
    QString text;
    // False when a value is stored that does not read back as any password
    // (one cut by the reader at a byte that complements to a line break, or
    // bytes edited by hand): it must never count as "no password".
    bool readable = true;
};
StoredPassword ReadStoredPassword();

// True when `password` reads back whole once stored: every character has a
// CP949 form and no byte of the stored form is CR or LF.
bool IsStorablePassword(const QString& password);
// Refuses what IsStorablePassword refuses; after writing reads the password
// back, and on any difference puts the previous value back and fails.
bool WritePassword(const QString& password);
// The largest amount of one transfer line in won ([General] Apt, millions).
qint64 ReadAmountLimit();
QString ReadBackgroundPicture();
bool WriteBackgroundPicture(const QString& name);
int ReadNoticeTextColor();
bool WriteNoticeTextColor(int color);
int ReadNoticeBackColor();
bool WriteNoticeBackColor(int color);

// Every byte complemented (255 minus the byte).
QByteArray ScrambleBytes(const QByteArray& bytes);

} // namespace shell
