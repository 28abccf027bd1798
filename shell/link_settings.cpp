#include "shell/link_settings.h"

#include "platform/registry.h"
#include "shell/file_helpers.h"
#include "shell/workspace.h"

#include <QDir>

namespace shell {
namespace {

QString g_linkKey;
QString g_programPath;
QString g_workspaceDir;

using platform::Registry;

struct TextValue
{
    const char* name;
    QString TEdiConfig::*field;
};
struct FlagValue
{
    const char* name;
    bool TEdiConfig::*field;
};

const TextValue kCommTexts[] = {
    {"Connect1", &TEdiConfig::Connect1}, {"Connect2", &TEdiConfig::Connect2},
    {"Phone1", &TEdiConfig::Phone1},     {"Phone2", &TEdiConfig::Phone2},
    {"ModemInit", &TEdiConfig::ModemInit}, {"Port", &TEdiConfig::Port},
    {"Protocol", &TEdiConfig::Protocol}, {"Speed", &TEdiConfig::Speed},
};
const TextValue kUserTexts[] = {
    {"LoginID", &TEdiConfig::LoginID},     {"Password", &TEdiConfig::Password},
    {"SendDir", &TEdiConfig::SendDir},     {"RecvDir", &TEdiConfig::RecvDir},
    {"ResultDir", &TEdiConfig::ResultDir}, {"ScriptDir", &TEdiConfig::ScriptDir},
    {"MailboxDir", &TEdiConfig::MailboxDir},
};
const FlagValue kUserFlags[] = {
    {"DeleteCheck", &TEdiConfig::DeleteCheck},     {"AppendCheck", &TEdiConfig::AppendCheck},
    {"PasswordCheck", &TEdiConfig::PasswordCheck}, {"ErrorCheck", &TEdiConfig::ErrorCheck},
    {"CompressCheck", &TEdiConfig::CompressCheck}, {"ResultCheck", &TEdiConfig::ResultCheck},
    {"HeaderCheck", &TEdiConfig::HeaderCheck},     {"HeaderValCheck", &TEdiConfig::HeaderValCheck},
    {"MessageCheck", &TEdiConfig::MessageCheck},
};

struct FolderSetting
{
    const char* name;
    QString TEdiConfig::*field;
    const char* label; // as the settings dialog shows it
    bool required;
    bool emptied; // emptied before each exchange
    bool written; // the program and the link write into it
};
const FolderSetting kFolderSettings[] = {
    {"SendDir", &TEdiConfig::SendDir, "송신 디렉토리", true, true, true},
    {"RecvDir", &TEdiConfig::RecvDir, "수신 디렉토리", true, true, true},
    {"ResultDir", &TEdiConfig::ResultDir, "결과 디렉토리", true, false, true},
    {"ScriptDir", &TEdiConfig::ScriptDir, "스크립트 디렉토리", false, false, false},
    {"MailboxDir", &TEdiConfig::MailboxDir, "우편함 폴더", false, false, false},
};

} // namespace

LinkFolderProblem CheckLinkFolders(const TEdiConfig& settings, const ExchangeFileNames& own)
{
    for (const FolderSetting& f : kFolderSettings) {
        const QString value = (settings.*f.field).trimmed();
        const QString label = QString::fromUtf8(f.label);
        if (value.isEmpty() && !f.required)
            continue;
        if (value.isEmpty())
            return {f.name, label + QStringLiteral("를 입력하십시오.\r"
                                                   "폴더는 / 로 시작하는 전체 경로로 입력합니다.")};
        if (!QDir::isAbsolutePath(value))
            return {f.name, QStringLiteral("%1 \"%2\"는 전체 경로가 아닙니다.\r"
                                           "폴더는 / 로 시작하는 전체 경로로 입력하십시오.")
                                .arg(label, value)};
        const FolderDanger danger = DangerOfEmptying(value, g_workspaceDir);
        if (f.emptied && danger != FolderDanger::None && danger != FolderDanger::Missing)
            return {f.name,
                    QStringLiteral("%1 \"%2\"는 송수신 전에 파일을 모두 지우는 폴더이므로\r"
                                   "프로그램 폴더, 홈 폴더, 최상위 폴더나 그것들을 담은 폴더는 "
                                   "지정할 수 없습니다.")
                        .arg(label, value)};
        if (const QStringList foreign =
                f.written ? ForeignFiles(WithBackslash(value), own) : QStringList();
            !foreign.isEmpty())
            return {f.name,
                    QStringLiteral("%1 \"%2\"에 송수신 파일이 아닌 파일 \"%3\"이(가) 있습니다.\r"
                                   "송수신 파일만 두는 폴더를 지정하십시오.")
                        .arg(label, value, foreign.first())};
    }
    return {};
}

QString LinkKeyForPath(const QString& programPath)
{
    QString p = programPath;
    p.replace('\\', '.');
    p.replace('/', '.');
    p.remove(' ');
    p.remove(':');
    // A Linux path starts with the separator; the dot it would leave is dropped.
    while (p.startsWith('.'))
        p.remove(0, 1);
    return "Parlx." + p;
}

void SetLinkWorkspaceDir(const QString& programDir)
{
    g_workspaceDir = programDir;
}

void SetLinkProgramPath(const QString& path)
{
    g_programPath = path;
    g_linkKey.clear();
}

QString LinkKey()
{
    if (g_linkKey.isEmpty()) {
        const QString path = g_programPath.isEmpty() ? g_workspaceDir + "Pelmar" : g_programPath;
        g_linkKey = LinkKeyForPath(path);
    }
    return g_linkKey;
}

QString CommKey()
{
    return "Software\\" + LinkKey() + "\\PARLINK\\COMM";
}

QString UserInfoKey()
{
    return "Software\\" + LinkKey() + "\\PARLINK\\USERINFO";
}

TEdiConfig DefaultEdiConfig(const QString& programDir)
{
    TEdiConfig c;
    c.Connect1 = QString::fromLatin1(kDefaultPhone1) + QStringLiteral("망");
    c.Connect2 = QStringLiteral("DNS망");
    c.Phone1 = kDefaultPhone1;
    c.Phone2 = kDefaultPhone2;
    c.ModemInit = "atz";
    c.Port = "COM1";
    c.Protocol = "Zmodem";
    c.Speed = "38400";
    c.SendDir = programDir + "Send";
    c.RecvDir = programDir + "Recv";
    c.ResultDir = programDir + "Result";
    c.ScriptDir = programDir + "Script";
    return c;
}

bool ReadSettings(TEdiConfig& settings, bool* complete)
{
    const Registry reg(Registry::CurrentUser);
    const bool hasComm = reg.KeyExists(CommKey());
    const bool hasUser = reg.KeyExists(UserInfoKey());
    if (complete)
        *complete = hasComm && hasUser;
    settings = DefaultEdiConfig(g_workspaceDir);
    if (!hasComm && !hasUser)
        return false;
    // Values missing from a key that exists keep their defaults; so does a
    // whole missing key, without disturbing the values of the other.
    for (const TextValue& v : kCommTexts)
        if (const auto s = reg.ReadString(CommKey(), v.name))
            settings.*v.field = *s;
    for (const TextValue& v : kUserTexts)
        if (const auto s = reg.ReadString(UserInfoKey(), v.name))
            settings.*v.field = *s;
    for (const FlagValue& v : kUserFlags)
        if (const auto b = reg.ReadBool(UserInfoKey(), v.name))
            settings.*v.field = *b;
    return hasComm && hasUser;
}

bool WriteSettings(const TEdiConfig& settings)
{
    Registry reg(Registry::CurrentUser);
    bool ok = reg.CreateKey(CommKey()) && reg.CreateKey(UserInfoKey());
    for (const TextValue& v : kCommTexts)
        ok = ok && reg.WriteString(CommKey(), v.name, settings.*v.field);
    for (const TextValue& v : kUserTexts)
        ok = ok && reg.WriteString(UserInfoKey(), v.name, settings.*v.field);
    for (const FlagValue& v : kUserFlags)
        ok = ok && reg.WriteBool(UserInfoKey(), v.name, settings.*v.field);
    return ok;
}

QString ReadLoginID()
{
    const Registry reg(Registry::CurrentUser);
    return reg.ReadString(UserInfoKey(), "LoginID").value_or(QString());
}

void InitialiseLinkSettings()
{
    TEdiConfig cfg;
    ReadSettings(cfg);
    WriteSettings(cfg);
    for (const QString& dir : {cfg.SendDir, cfg.RecvDir, cfg.ResultDir})
        if (!dir.trimmed().isEmpty())
            QDir().mkdir(WithBackslash(dir));
}

QString DecodeLinkPassword(const QString& stored)
{
    QString out;
    for (int i = 0; i < stored.size(); ++i)
        out += QChar(ushort(stored[i].unicode() - 10 - i));
    return out;
}

QString EncodeLinkPassword(const QString& plain)
{
    QString out;
    for (int i = 0; i < plain.size(); ++i)
        out += QChar(ushort(plain[i].unicode() + 10 + i));
    return out;
}

} // namespace shell
