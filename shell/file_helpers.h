#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

namespace shell {

class Ui;

// Directory arguments end in the separator; masks use * and ?, compared
// case-insensitively; only ordinary files match. "*.*" matches every file.
int CountFiles(const QString& dir);
int ListFiles(const QString& dir, const QString& mask, QStringList& list);
// Refuses (with an error, logged) a folder that LeadsOutOf `programDir` (the
// workspace's ProgramDir) or that FolderDanger names; a symbolic link among
// the files is removed itself, never what it points to.
bool DeleteAllFiles(Ui& ui, const QString& dir, const QString& programDir);

// The files the program and the link write into the send, receive and
// result folders: the request files (Apt_1, Register_1 …), the answers
// under the institutions' send and receive file codes (UserCode's APOUT,
// APIN, TREGISTEROUT, TREGISTERIN), the help-desk files and backup archives
// (FAZIP, FATXT, FA*.zip), the link's report (RptEDI), the notice, and what
// a write through a temporary name may leave of them. Names compare
// ignoring case.
class ExchangeFileNames
{
public:
    explicit ExchangeFileNames(const QStringList& fileCodes = {});
    bool Holds(const QString& fileName) const;

private:
    QSet<QString> m_codes; // upper-case
};

// The files of `dir` that are none of these, in name order.
QStringList ForeignFiles(const QString& dir, const ExchangeFileNames& own);

// Empties the receive folder of what `own` names, with DeleteAllFiles'
// refusals; any other file stays and is named in one log line. Returns the
// names left, nothing when refused or a file could not be deleted (shown).
std::optional<QStringList> EmptyExchangeFolder(Ui& ui, const QString& dir,
                                               const QString& programDir,
                                               const ExchangeFileNames& own);
// The send folder likewise; but the link hands over every file it finds
// there, so a file that is not the program's stops the send, named in an
// error, rather than go to the bank.
bool EmptySendFolder(Ui& ui, const QString& dir, const QString& programDir,
                     const ExchangeFileNames& own);

// Why the program must never empty or remove `dir`. An empty or relative
// name would be taken from the current folder, which after a desktop start
// is the user's home.
enum class FolderDanger {
    None,
    NotAbsolute,
    Missing,
    ProgramFolder, // `programDir` itself or a folder holding it
    HomeFolder,    // the user's home or a folder holding it
    Root,          // a file-system root
};
FolderDanger DangerOfEmptying(const QString& dir, const QString& programDir);
// The Korean reason shown and logged for a refusal; empty for None.
QString FolderDangerText(FolderDanger danger);

// Removes `dir` with everything in it. A symbolic link, the folder itself
// included, is removed as a link: what it points to is never touched. A
// folder that DangerOfEmptying refuses (other than a missing one, which
// counts as removed) is left alone and the refusal logged.
bool RemoveFolder(const QString& dir, const QString& programDir);
bool CopyFiles(Ui& ui, const QString& fromDir, const QString& toDir, const QString& mask);

// True when `dir` lies under `home` by its name but a symbolic link on the
// way takes it elsewhere: the files there are not the program's to delete.
// A folder named outside `home` (chosen so by the user) is not redirected.
bool LeadsOutOf(const QString& dir, const QString& home);

// Starts `path` with `parameters` in its own folder and waits, keeping `ui`
// responsive, until no process of that path is left. Logged.
bool RunProgramAndWait(Ui& ui, const QString& path, const QString& parameters);
// The screens drop the input that queued up while an outside program ran.
void SetInputDiscarder(void (*discard)());

bool IsProcessRunning(const QString& path);
bool IsDuplicateInstance();

} // namespace shell
