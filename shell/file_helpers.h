#pragma once

#include <QString>
#include <QStringList>

namespace shell {

class Ui;

// Directory arguments end in the separator; masks use * and ?, compared
// case-insensitively; only ordinary files match. "*.*" matches every file.
int CountFiles(const QString& dir);
int ListFiles(const QString& dir, const QString& mask, QStringList& list);
bool DeleteAllFiles(Ui& ui, const QString& dir);
bool CopyFiles(Ui& ui, const QString& fromDir, const QString& toDir, const QString& mask);

// Starts `path` with `parameters` in its own folder and waits, letting
// events run, until no process of that path is left. Logged.
bool RunProgramAndWait(const QString& path, const QString& parameters);
// The screens drop the input that queued up while an outside program ran.
void SetInputDiscarder(void (*discard)());

bool IsProcessRunning(const QString& path);
bool IsDuplicateInstance();

} // namespace shell
