#pragma once

#include <QString>

// Workspace paths, set once when a program is loaded. Every directory ends
// in the path separator.
namespace shell {

struct Workspace
{
    QString programDir; // the installation folder (PELMAR_HOME or the executable's folder)
    QString shippedDir; // where BlankDB.bin, data/ and the other executables are
    QString dataDir;
    QString sendDir;
    QString recvDir;
    QString resultDir;
    QString scriptDir;
    QString senderId; // the link's LoginID
    bool testMode = false;
};

// The folder of the running executable, with trailing separator.
QString ExecutableDir();

// Sets the defaults under `programDir` (empty: PELMAR_HOME, else the
// executable's folder), then ApplyLinkDirectories.
void LoadWorkspacePaths(const QString& programDir = {});

const Workspace& Paths();
// Where the shipped files are looked for; tests point it at a folder of
// their own.
void SetShippedDir(const QString& dir);
void SetTestMode(bool on);

// Settings file, pictures, terminal program, temp folder, notice file…
QString FirmIniPath();
QString PicturesDir();
QString TerminalProgram();
QString TerminalSettings();
QString TempDir();
QString NoticeFilePath();
QString AutoBackupDir();
QString BlankDatabasePath();
QString AccountRulesPath();

// Takes the send, receive and result folders and the sender ID from the
// link settings when they can be read.
void ApplyLinkDirectories();
// Creates Send, Send/Old, Recv, Recv/Old, Result under ProgramDir when the
// link settings can be read, writes them back and applies them.
void PrepareTransferDirectories();

// Trims blanks; empty stays empty; otherwise ensures a trailing separator.
QString WithBackslash(const QString& path);

} // namespace shell
