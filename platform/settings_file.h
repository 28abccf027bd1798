#pragma once

#include "platform/result.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The small text files the programs take their settings from (Firm.ini, the
// registry's files, the shipped closures and account rules): each read only
// when it is a regular file of a bounded size, so that a pipe, a device or a
// huge file put in its place is refused at once instead of read for ever.
namespace platform {

// A few kilobytes in use; far more is not a settings file.
inline constexpr qint64 kSettingsFileLimit = 1024 * 1024;

// The file's bytes; nullopt when there is no such file. A link is followed
// for reading. Fails, naming the file, when it is anything but a regular
// file (checked before it is opened, and again on what was opened), when it
// is larger than `limit` or grows past it while read, or cannot be read.
Result<std::optional<QByteArray>> ReadSettingsFile(const QString& path,
                                                   qint64 limit = kSettingsFileLimit);

// Whether `path` may be written by replacing it: refused, naming it, when it
// is a link (the write would land wherever the link points) or anything but
// a regular file. A missing file may be written.
Result<> CheckSettingsFileWritable(const QString& path);

} // namespace platform
