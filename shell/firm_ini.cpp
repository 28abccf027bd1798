#include "shell/firm_ini.h"

#include "platform/ini_file.h"
#include "shell/codec.h"
#include "shell/workspace.h"

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

bool WritePassword(const QString& password)
{
    return writeRaw("General", "Password", ScrambleBytes(ToCp949(password)));
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
