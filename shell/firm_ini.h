#pragma once

#include <QString>

// The settings file Firm.ini (CP949). Each access opens the file, reads or
// writes one key and closes it; garbage values read as their defaults.
namespace shell {

QString ReadPassword();
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
