#pragma once

#include <QString>
#include <optional>

namespace platform {

// The user and machine registry, kept as INI files: the user root in
// $XDG_CONFIG_HOME/Pelmar/registry.ini, the machine root in
// ProgramDir/registry.ini; PELMAR_REGISTRY_DIR moves both (user.ini and
// machine.ini there). A key is a section named by its full path
// ("Software\Parlx.…\Parlink\UserInfo"), compared case-insensitively.
// Text values are UTF-8; flags are "1"/"0".
class Registry
{
public:
    enum Root { CurrentUser, LocalMachine };

    explicit Registry(Root root);

    static QString UserRootFile();
    static QString MachineRootFile();
    // Machine root lives beside the programs; set once at start.
    static void SetMachineRootDir(const QString& dir);

    bool KeyExists(const QString& key) const;
    // Creates the key when missing; false when the registry cannot be written.
    bool CreateKey(const QString& key);
    bool DeleteKey(const QString& key);

    bool ValueExists(const QString& key, const QString& name) const;
    std::optional<QString> ReadString(const QString& key, const QString& name) const;
    std::optional<bool> ReadBool(const QString& key, const QString& name) const;
    std::optional<int> ReadInteger(const QString& key, const QString& name) const;

    // Writing creates the key when missing; false when it cannot be written.
    bool WriteString(const QString& key, const QString& name, const QString& value);
    bool WriteBool(const QString& key, const QString& name, bool value);
    bool WriteInteger(const QString& key, const QString& name, int value);

private:
    QString m_file;
};

} // namespace platform
