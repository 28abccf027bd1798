#pragma once

#include <QString>

class QIODevice;

// Small file steps the maintenance operations share.
namespace maintenance {

// A fresh archive name in ProgramDir: the milliseconds since the system
// started + ".zip".
QString TemporaryArchivePath();

// Removes a file when the scope ends, unless released.
class RemoveOnExit
{
public:
    explicit RemoveOnExit(QString path) : m_path(std::move(path)) {}
    ~RemoveOnExit();
    RemoveOnExit(const RemoveOnExit&) = delete;
    RemoveOnExit& operator=(const RemoveOnExit&) = delete;
    void release() { m_path.clear(); }

private:
    QString m_path;
};

// Copies `length` bytes from `in`'s current position to `out`; false on
// any short read or write.
bool CopyBytes(QIODevice& in, QIODevice& out, qint64 length);

// The file of `dir` whose name equals `name` ignoring case (the exact name
// first); `dir` + `name` when there is none.
QString FindFileNoCase(const QString& dir, const QString& name);

} // namespace maintenance
