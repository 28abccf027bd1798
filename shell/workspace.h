#pragma once

#include "platform/result.h"

#include <QString>

// Workspace paths, set once when a program is loaded. Every directory ends
// in the path separator.
namespace shell {

struct Workspace
{
    QString programDir; // the workspace (--home, PELMAR_HOME, else DefaultWorkspaceDir)
    QString shippedDir; // the executable's folder: BlankDB.bin, data/, the other executables
    QString dataDir;
    QString sendDir;
    QString recvDir;
    QString resultDir;
    QString scriptDir;
    QString senderId; // the link's LoginID
    bool testMode = false;

    // Settings file, pictures, terminal program, temp folder, notice file…
    QString firmIniPath() const { return programDir + "Firm.ini"; }
    QString picturesDir() const { return shippedDir + "Bmps/"; }
    QString terminalProgram() const { return programDir + "Tessrun/Tessrun"; }
    QString terminalSettings() const { return programDir + "Tessrun/Tessrun.ini"; }
    QString tempDir() const { return programDir + "Temp/"; }
    QString noticeFilePath() const { return programDir + "Result/Notice.inf"; }
    QString autoBackupDir() const { return programDir + "AUTODB_BACKUP/"; }
    // An installation may carry its own blank database; else the shipped one.
    QString blankDatabasePath() const;
};

// The folder of the running executable, with trailing separator.
QString ExecutableDir();

// The user's own workspace: $XDG_DATA_HOME/Pelmar/, by default
// ~/.local/share/Pelmar/. Programs never work in their own folder, which
// may be read-only and shared by every account.
QString DefaultWorkspaceDir();

// Sets the defaults under `programDir` (empty: PELMAR_HOME, else
// DefaultWorkspaceDir), then ApplyLinkDirectories. Makes the workspace
// private first (KeepWorkspacePrivate). Returns the workspace to its owner
// (the program's main(), the tool before its command, the tests), which
// hands it to the code that uses it (as it hands TDM1) and passes it to
// ApplyLinkDirectories when the link settings change. Nothing else keeps it.
Workspace LoadWorkspacePaths(const QString& programDir = {});

// The settings files every program reads (Firm.ini and the registry's two
// files, which hold the link settings), read once at start: fails, naming
// the file, when one is there but no regular file within the size limit
// (platform/settings_file.h) or does not read. A program that will write
// (`writes`) is also refused a link at their place, which it would replace
// or write through. Each program runs it after LoadWorkspacePaths and ends
// with the message when it fails; what it read stays with platform::IniFile.
platform::Result<> CheckSettingsFiles(const Workspace& ws, bool writes);

// Residents' names and accounts are for this account only: from the first
// call on, everything the process creates is 600 (folders 700), whatever
// the umask it was started with.
void KeepWorkspacePrivate();
// A file or folder the user chose outside the workspace last loaded (a
// backup on another disk) gets the mode the starting umask gives it, as any
// other program's file would; inside the workspace it stays private.
void FollowUserUmask(const QString& path);

// Takes the send, receive and result folders and the sender ID from the
// link settings into `ws` when they can be read.
void ApplyLinkDirectories(Workspace& ws);
// Creates Send, Send/Old, Recv, Recv/Old, Result under ws.programDir when
// the link settings can be read, writes them back and applies them to `ws`.
void PrepareTransferDirectories(Workspace& ws);

// Trims blanks; empty stays empty; otherwise ensures a trailing separator.
QString WithBackslash(const QString& path);

} // namespace shell
