#pragma once

#include <QString>
#include <QStringList>

namespace shell {

class Ui;

// Directory arguments end in the separator; masks use * and ?, compared
// case-insensitively; only ordinary files match. "*.*" matches every file.
int CountFiles(const QString& dir);
int ListFiles(const QString& dir, const QString& mask, QStringList& list);
// Refuses (with an error) a folder that LeadsOutOf ProgramDir; a symbolic
// link among the files is removed itself, never what it points to.
bool DeleteAllFiles(Ui& ui, const QString& dir);
bool CopyFiles(Ui& ui, const QString& fromDir, const QString& toDir, const QString& mask);

// True when `dir` lies under `home` by its name but a symbolic link on the
// way takes it elsewhere: the files there are not the program's to delete.
// A folder named outside `home` (chosen so by the user) is not redirected.
bool LeadsOutOf(const QString& dir, const QString& home);

// Starts `path` with `parameters` in its own folder and waits, letting
// events run, until no process of that path is left. Logged.
bool RunProgramAndWait(const QString& path, const QString& parameters);
// The screens drop the input that queued up while an outside program ran.
void SetInputDiscarder(void (*discard)());

bool IsProcessRunning(const QString& path);
bool IsDuplicateInstance();

} // namespace shell
