#pragma once

#include <QHash>
#include <QString>

// Every file exchanged with the bank is kept: the request files handed to
// the link under Send/Old/YYYYMMDD/, the received files under
// Recv/Old/YYYYMMDD/, each day's folder named after the program clock's
// today. Both stay under the program folder whatever folders the link
// settings name, so that moving SendDir or RecvDir never scatters them.
// The program never deletes a kept copy.
namespace shell {

struct Workspace;

QString KeptSendDir(const Workspace& ws);    // ProgramDir/Send/Old/
QString KeptReceiveDir(const Workspace& ws); // ProgramDir/Recv/Old/

struct KeptFiles
{
    bool ok = true;
    QString error;                  // the file that could not be kept and why
    QHash<QString, QString> copies; // file name in the folder -> its kept copy
};

// Copies every ordinary file of `dir` into today's folder under `keptDir`,
// each under its own name, or name.1, name.2 … when that is taken. A file
// already kept there byte for byte is not kept twice (a re-receive of the
// same set, a folder applied again): its copy is the one found.
KeptFiles KeepFiles(const QString& dir, const QString& keptDir);

// Where `source` is kept in the day folder `dayDir` under `name`: that name
// when it is free or holds the same bytes, else the first name.1, name.2 …
// that is free or holds them. An existing path means it is kept already.
QString KeptCopyPath(const QString& source, const QString& name, const QString& dayDir);

// True when a copy of `path`, byte for byte and under its name or a
// name.N, is kept on some day under `keptDir`.
bool IsKept(const QString& path, const QString& keptDir);

// The file code of a kept copy: its name without the ".N" that keeping
// added on a clash ("AB200.2" -> "AB200"); other names stay as they are.
QString KeptFileCode(const QString& fileName);

} // namespace shell
