#pragma once

#include <QString>

class QIODevice;

namespace shell {
struct Workspace;
}

// Small file steps the maintenance operations share.
namespace maintenance {

// A fresh archive name in ProgramDir: the milliseconds since the system
// started + ".zip".
QString TemporaryArchivePath(const shell::Workspace& ws);

// Copies `length` bytes from `in`'s current position to `out`; false on
// any short read or write.
bool CopyBytes(QIODevice& in, QIODevice& out, qint64 length);

// The file of `dir` whose name equals `name` ignoring case (the exact name
// first); `dir` + `name` when there is none.
QString FindFileNoCase(const QString& dir, const QString& name);

} // namespace maintenance
