#pragma once

#include <QString>

#include "shell/file_helpers.h"

// The EDI link's settings in the user registry, under a key derived from
// the program's path so that each installation has its own.
namespace shell {

struct TEdiConfig
{
    // Comm
    QString Connect1;
    QString Connect2;
    QString Phone1;
    QString Phone2;
    QString ModemInit;
    QString Port;
    QString Protocol;
    QString Speed;
    // UserInfo
    QString LoginID;
    QString Password;
    QString SendDir;
    QString RecvDir;
    QString ResultDir;
    QString ScriptDir;
    QString MailboxDir; // the stand-in link's mailbox folder; empty = ProgramDir/Mailbox
    bool DeleteCheck = true;
    bool AppendCheck = true;
    bool PasswordCheck = false;
    bool ErrorCheck = false;
    bool CompressCheck = false;
    bool ResultCheck = true;
    bool HeaderCheck = false;
    bool HeaderValCheck = true;
    bool MessageCheck = true;
};

// Access numbers of the dial-up networks written as first defaults.
inline constexpr const char* kDefaultPhone1 = "01420";
inline constexpr const char* kDefaultPhone2 = "01421";

// "Parlx." + the program path with separators as dots, blanks and colons dropped.
QString LinkKeyForPath(const QString& programPath);
// The link settings are the registry's and belong to the workspace: their
// key is derived from ProgramDir + "Pelmar" and their default folders lie
// under ProgramDir. LoadWorkspacePaths sets it, with the registry's root.
void SetLinkWorkspaceDir(const QString& programDir);
// The key of this program (computed once from ProgramDir + "Pelmar").
QString LinkKey();
// Overrides the program path the key is derived from (Vandry derives Pelmar's).
void SetLinkProgramPath(const QString& path);

QString CommKey();     // "Software\" + key + "\Parlink\Comm"
QString UserInfoKey(); // "Software\" + key + "\Parlink\UserInfo"

// Defaults for a program folder ending in the separator.
TEdiConfig DefaultEdiConfig(const QString& programDir);

// Reads both keys; a missing value takes its default. `complete` is false
// when either key is missing. Returns false when neither key exists.
bool ReadSettings(TEdiConfig& settings, bool* complete = nullptr);
bool WriteSettings(const TEdiConfig& settings);
QString ReadLoginID();

// Start-of-program step: read (defaults for what is missing), write back,
// create the three folders.
void InitialiseLinkSettings();

// What keeps settings from being stored: `name` is the setting ("SendDir"),
// `message` the Korean text to show; both empty when they may be stored.
struct LinkFolderProblem
{
    QString name;
    QString message;
};
// The send, receive and result folders must be named in full (an empty or
// relative name would be taken from the current folder); the script and
// mailbox folders may stay empty but are otherwise named in full. The send
// and receive folders are emptied before each exchange, so they may not be
// the program folder, the home folder, a root or a folder holding one. The
// send, receive and result folders may hold only what the program and the
// link write there (`own`): the link would hand any other file of the send
// folder to the bank, and a user's folder is no place for the exchange.
// Both the settings dialog and pelmar-tool ask this before storing.
LinkFolderProblem CheckLinkFolders(const TEdiConfig& settings, const ExchangeFileNames& own);

// Readable form of the link's scrambled password.
QString DecodeLinkPassword(const QString& stored);
QString EncodeLinkPassword(const QString& plain);

} // namespace shell
