#include "shell/firm_ini.h"

#include "platform/ini_file.h"
#include "shell/codec.h"
#include "shell/log.h"
#include "shell/workspace.h"

#include <QFile>

#include <cctype>

namespace shell {
namespace {

QByteArray readRaw(const char* section, const char* key, bool* present = nullptr)
{
    platform::IniFile ini(FirmIniPath());
    ini.load();
    if (present)
        *present = ini.hasValue(section, key);
    return ini.value(section, key);
}

bool writeRaw(const char* section, const char* key, const QByteArray& value)
{
    platform::IniFile ini(FirmIniPath());
    ini.load();
    ini.setValue(section, key, value);
    return ini.save();
}

int readInteger(const char* section, const char* key, int fallback)
{
    bool present = false;
    const QByteArray raw = readRaw(section, key, &present);
    bool ok = false;
    const int v = raw.trimmed().toInt(&ok);
    return present && ok ? v : fallback;
}

// Firm.ini's keys are plain names.
bool isKeyName(const QByteArray& key)
{
    for (const char c : key)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.' || c == '-'))
            return false;
    return !key.isEmpty();
}

// A password cut by the reader at a line break leaves its remainder on the
// line after [General] Password: a line that is no section, comment or
// named key.
bool passwordLineWasCut()
{
    QFile file(FirmIniPath());
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QList<QByteArray> lines = file.readAll().split('\n');
    bool general = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray line = lines[i];
        if (line.endsWith('\r'))
            line.chop(1);
        const QByteArray trimmed = line.trimmed();
        if (trimmed.startsWith('[') && trimmed.endsWith(']')) {
            general =
                qstricmp(trimmed.mid(1, trimmed.size() - 2).trimmed().constData(), "General") == 0;
            continue;
        }
        const qsizetype eq = line.indexOf('=');
        if (!general || eq <= 0 || qstricmp(line.left(eq).trimmed().constData(), "Password") != 0)
            continue;
        if (i + 1 >= lines.size())
            return false;
        const QByteArray next = lines[i + 1].trimmed();
        if (next.isEmpty() || next.startsWith('[') || next.startsWith(';') || next.startsWith('#'))
            return false;
        const qsizetype nextEq = next.indexOf('=');
        return nextEq <= 0 || !isKeyName(next.left(nextEq).trimmed());
    }
    return false;
}

bool readsBackAs(const QByteArray& stored, const QString& text)
{
    if (FromCp949(stored) != text || ToCp949(text) != stored)
        return false;
    for (const QChar c : text)
        if (c == QChar::ReplacementCharacter || c.unicode() < 0x20 || c.unicode() == 0x7f)
            return false;
    return true;
}

} // namespace

QByteArray ScrambleBytes(const QByteArray& bytes)
{
    QByteArray out = bytes;
    for (char& b : out)
        b = char(255 - static_cast<unsigned char>(b));
    return out;
}

QString ReadPassword()
{
    return FromCp949(ScrambleBytes(readRaw("General", "Password")));
}

StoredPassword ReadStoredPassword()
{
    const QByteArray stored = ScrambleBytes(readRaw("General", "Password"));
    StoredPassword p;
    p.text = FromCp949(stored);
    p.readable = readsBackAs(stored, p.text) && !passwordLineWasCut();
    return p;
}

bool IsStorablePassword(const QString& password)
{
    const QByteArray bytes = ToCp949(password);
    if (!readsBackAs(bytes, password))
        return false;
    const QByteArray stored = ScrambleBytes(bytes);
    return !stored.contains('\r') && !stored.contains('\n');
}

bool WritePassword(const QString& password)
{
    if (!IsStorablePassword(password))
        return false;
    const QByteArray before = readRaw("General", "Password");
    if (!writeRaw("General", "Password", ScrambleBytes(ToCp949(password))))
        return false;
    const StoredPassword back = ReadStoredPassword();
    if (back.readable && back.text == password)
        return true;
    writeRaw("General", "Password", before);
    WriteLog(QStringLiteral("Firm.ini 의 비밀번호가 저장한 대로 읽히지 않아 이전 값으로 되돌림"),
             true);
    return false;
}

qint64 ReadAmountLimit()
{
    return qint64(readInteger("General", "Apt", 5)) * 1000000;
}

QString ReadBackgroundPicture()
{
    bool present = false;
    const QByteArray raw = readRaw("Bmps", "Main", &present);
    return present ? FromCp949(raw) : QStringLiteral("Main_Space.bmp");
}

bool WriteBackgroundPicture(const QString& name)
{
    return writeRaw("Bmps", "Main", ToCp949(name));
}

int ReadNoticeTextColor()
{
    return readInteger("General", "NoticeTextColor", 65535);
}

bool WriteNoticeTextColor(int color)
{
    return writeRaw("General", "NoticeTextColor", QByteArray::number(color));
}

int ReadNoticeBackColor()
{
    return readInteger("General", "NoticeBackColor", 0);
}

bool WriteNoticeBackColor(int color)
{
    return writeRaw("General", "NoticeBackColor", QByteArray::number(color));
}

} // namespace shell
