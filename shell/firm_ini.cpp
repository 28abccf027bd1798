#include "shell/firm_ini.h"

#include "platform/ini_file.h"
#include "platform/settings_file.h"
#include "shell/codec.h"
#include "shell/log.h"
#include "shell/workspace.h"

#include <QDate>

#include <cctype>

namespace shell {
namespace {

// Firm.ini as read last (platform::IniFile keeps it until it changes); one
// that is no settings file reads as empty here, and the programs refuse it
// at start with its name (CheckSettingsFiles).
QByteArray readRaw(const Workspace& ws, const char* section, const char* key,
                   bool* present = nullptr)
{
    platform::IniFile ini(ws.firmIniPath());
    (void)ini.load();
    if (present)
        *present = ini.hasValue(section, key);
    return ini.value(section, key);
}

bool writeRaw(const Workspace& ws, const char* section, const char* key, const QByteArray& value)
{
    platform::IniFile ini(ws.firmIniPath());
    (void)ini.load(); // a file that did not load is not saved over
    ini.setValue(section, key, value);
    if (const platform::Result<> saved = ini.save(); !saved) {
        WriteLog(saved.error(), true);
        return false;
    }
    return true;
}

int readInteger(const Workspace& ws, const char* section, const char* key, int fallback)
{
    bool present = false;
    const QByteArray raw = readRaw(ws, section, key, &present);
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
bool passwordLineWasCut(const Workspace& ws)
{
    const platform::Result<std::optional<QByteArray>> read =
        platform::ReadSettingsFile(ws.firmIniPath());
    if (!read || !*read)
        return false;
    const QList<QByteArray> lines = (*read)->split('\n');
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

QString ReadPassword(const Workspace& ws)
{
    return FromCp949(ScrambleBytes(readRaw(ws, "General", "Password")));
}

StoredPassword ReadStoredPassword(const Workspace& ws)
{
    const QByteArray stored = ScrambleBytes(readRaw(ws, "General", "Password"));
    StoredPassword p;
    p.text = FromCp949(stored);
    p.readable = readsBackAs(stored, p.text) && !passwordLineWasCut(ws);
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

bool WritePassword(const Workspace& ws, const QString& password)
{
    if (!IsStorablePassword(password))
        return false;
    const QByteArray before = readRaw(ws, "General", "Password");
    if (!writeRaw(ws, "General", "Password", ScrambleBytes(ToCp949(password))))
        return false;
    const StoredPassword back = ReadStoredPassword(ws);
    if (back.readable && back.text == password)
        return true;
    writeRaw(ws, "General", "Password", before);
    WriteLog(QStringLiteral("Firm.ini 의 비밀번호가 저장한 대로 읽히지 않아 이전 값으로 되돌림"),
             true);
    return false;
}

qint64 ReadAmountLimit(const Workspace& ws)
{
    return qint64(readInteger(ws, "General", "Apt", 5)) * 1000000;
}

QString ReadBackgroundPicture(const Workspace& ws)
{
    bool present = false;
    const QByteArray raw = readRaw(ws, "Bmps", "Main", &present);
    return present ? FromCp949(raw) : QStringLiteral("Main_Space.bmp");
}

bool WriteBackgroundPicture(const Workspace& ws, const QString& name)
{
    return writeRaw(ws, "Bmps", "Main", ToCp949(name));
}

int ReadNoticeTextColor(const Workspace& ws)
{
    return readInteger(ws, "General", "NoticeTextColor", 65535);
}

bool WriteNoticeTextColor(const Workspace& ws, int color)
{
    return writeRaw(ws, "General", "NoticeTextColor", QByteArray::number(color));
}

int ReadNoticeBackColor(const Workspace& ws)
{
    return readInteger(ws, "General", "NoticeBackColor", 0);
}

bool WriteNoticeBackColor(const Workspace& ws, int color)
{
    return writeRaw(ws, "General", "NoticeBackColor", QByteArray::number(color));
}

QString ReadLastAuditCheck(const Workspace& ws)
{
    const QString month = QString::fromLatin1(readRaw(ws, "Audit", "LastCheck").trimmed());
    return QDate::fromString(month + "-01", "yyyy-MM-dd").isValid() ? month : QString();
}

bool WriteLastAuditCheck(const Workspace& ws, const QString& month)
{
    return writeRaw(ws, "Audit", "LastCheck", month.toLatin1());
}

} // namespace shell
