#pragma once

#include "platform/result.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <utility>

namespace platform {

// PKZIP archives through libzip, deflated at level 9. A failure names the
// archive or entry and why.

// Creates (replacing) `archive` holding `files` (full paths), each stored
// under its file name only.
Result<> CreateZip(const QString& archive, const QStringList& files);

// A file to archive and the entry name it is stored under (folders
// separated by "/").
struct ZipSource
{
    QString file;
    QString name;
};
Result<> CreateZip(const QString& archive, const QList<ZipSource>& files);

// Extracts every entry of `archive` into `folder` (created when missing);
// entries with folder parts are written under their file name only, so an
// archive cannot write outside `folder`.
Result<> ExtractZip(const QString& archive, const QString& folder,
                    QStringList* extracted = nullptr);

// Writes each file entry to the path `target` gives for its name (its
// folders created); an entry for which it gives an empty path is left out.
// The caller has checked the names: the paths are written as given.
Result<> ExtractZipEntries(const QString& archive,
                           const std::function<QString(const QString& name)>& target);

// Names of the entries.
Result<QStringList> ListZip(const QString& archive);

struct ZipEntry
{
    QString name;    // as stored, folders included
    qint64 size = 0; // uncompressed, as the central directory declares it
    qint64 compressedSize = 0;
    bool link = false; // stored as a symbolic link (a Unix archiver's entry)
};

// The central directory, checked for consistency (a truncated or damaged
// archive fails here, before anything is extracted).
Result<QList<ZipEntry>> ReadZipDirectory(const QString& archive);

// Hands every file entry, read whole and checked against its checksum, to
// `visit` in archive order; stops with an error at a damaged entry or when
// `visit` answers false. Check the declared sizes first: each entry is held
// in memory.
Result<> ReadZipEntries(const QString& archive,
                        const std::function<bool(const QString&, const QByteArray&)>& visit);

// An archive built in memory from named entries (folder parts kept), for a
// reader that takes an archive's bytes.
Result<QByteArray> ZipInMemory(const QList<std::pair<QString, QByteArray>>& entries);

} // namespace platform
