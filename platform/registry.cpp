#include "platform/registry.h"

#include "platform/ini_file.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace platform {
namespace {

QString& machineDir()
{
    static QString dir;
    return dir;
}

QString overrideDir()
{
    return QString::fromLocal8Bit(qgetenv("PELMAR_REGISTRY_DIR"));
}

bool ensureFolder(const QString& file)
{
    return QDir().mkpath(QFileInfo(file).absolutePath());
}

// A file that is no settings file (a pipe, a device, too large) reads as an
// empty registry, and the write that follows refuses to replace it: the
// programs refuse such a file at start with its name
// (shell::CheckSettingsFiles).
IniFile loaded(const QString& file)
{
    IniFile ini(file);
    (void)ini.load();
    return ini;
}

} // namespace

QString Registry::UserRootFile()
{
    const QString dir = overrideDir();
    if (!dir.isEmpty())
        return QDir(dir).filePath("user.ini");
    QString config = QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME"));
    if (config.isEmpty())
        config = QDir::homePath() + "/.config";
    return QDir(config).filePath("Pelmar/registry.ini");
}

QString Registry::MachineRootFile()
{
    const QString dir = overrideDir();
    if (!dir.isEmpty())
        return QDir(dir).filePath("machine.ini");
    return QDir(machineDir()).filePath("registry.ini");
}

void Registry::SetMachineRootDir(const QString& dir)
{
    machineDir() = dir;
}

Registry::Registry(Root root)
    : m_file(root == CurrentUser ? UserRootFile() : MachineRootFile())
{
}

bool Registry::KeyExists(const QString& key) const
{
    IniFile ini = loaded(m_file);
    return ini.hasSection(key.toUtf8());
}

bool Registry::CreateKey(const QString& key)
{
    IniFile ini = loaded(m_file);
    if (ini.hasSection(key.toUtf8()))
        return true;
    ini.ensureSection(key.toUtf8());
    return ensureFolder(m_file) && ini.save().ok();
}

bool Registry::DeleteKey(const QString& key)
{
    IniFile ini = loaded(m_file);
    ini.removeSection(key.toUtf8());
    return ini.save().ok();
}

bool Registry::ValueExists(const QString& key, const QString& name) const
{
    IniFile ini = loaded(m_file);
    return ini.hasValue(key.toUtf8(), name.toUtf8());
}

std::optional<QString> Registry::ReadString(const QString& key, const QString& name) const
{
    IniFile ini = loaded(m_file);
    if (!ini.hasValue(key.toUtf8(), name.toUtf8()))
        return std::nullopt;
    return QString::fromUtf8(ini.value(key.toUtf8(), name.toUtf8()));
}

std::optional<bool> Registry::ReadBool(const QString& key, const QString& name) const
{
    const auto text = ReadString(key, name);
    if (!text)
        return std::nullopt;
    const QString t = text->trimmed().toLower();
    return !(t.isEmpty() || t == "0" || t == "false");
}

std::optional<int> Registry::ReadInteger(const QString& key, const QString& name) const
{
    const auto text = ReadString(key, name);
    if (!text)
        return std::nullopt;
    bool ok = false;
    const int v = text->trimmed().toInt(&ok);
    return ok ? std::optional<int>(v) : std::nullopt;
}

bool Registry::WriteString(const QString& key, const QString& name, const QString& value)
{
    IniFile ini = loaded(m_file);
    ini.setValue(key.toUtf8(), name.toUtf8(), value.toUtf8());
    return ensureFolder(m_file) && ini.save().ok();
}

bool Registry::WriteBool(const QString& key, const QString& name, bool value)
{
    return WriteString(key, name, value ? "1" : "0");
}

bool Registry::WriteInteger(const QString& key, const QString& name, int value)
{
    return WriteString(key, name, QString::number(value));
}

} // namespace platform
