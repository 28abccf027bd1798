#pragma once

#include "platform/result.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

namespace platform {

// A small INI file: "[section]" lines and "key=value" lines. Section and key
// names compare case-insensitively; values are kept as raw bytes so that the
// caller decides their encoding (the settings file holds scrambled bytes).
// Unknown lines survive a load/save round trip. A file is read as a settings
// file (platform/settings_file.h): only a regular file under the size limit.
// What a process read is kept for it by path until the file changes (its
// size, times or inode) or is saved through IniFile, so looking up one key
// after another does not read the file again; a file changed a moment ago
// is read again each time, since file times are coarse.
class IniFile
{
public:
    explicit IniFile(QString path);

    // Reads the file; a missing file reads as empty. Fails, naming the
    // file, when it is no regular file, too large or cannot be read; the
    // contents are then empty and save() refuses to write over the file.
    Result<> load();
    // Writes the file atomically (beside it, renamed over it). Refuses,
    // naming it, a file that did not load, a link and anything but a
    // regular file.
    Result<> save() const;

    bool hasSection(const QByteArray& section) const;
    bool hasValue(const QByteArray& section, const QByteArray& key) const;
    QByteArray value(const QByteArray& section, const QByteArray& key,
                     const QByteArray& fallback = {}) const;
    // The value as a whole number (blanks around it allowed); `fallback`
    // when the key is missing or holds anything else.
    int intValue(const QByteArray& section, const QByteArray& key, int fallback) const;
    void setValue(const QByteArray& section, const QByteArray& key, const QByteArray& value);
    // Creates an empty section when missing.
    void ensureSection(const QByteArray& section);
    void removeSection(const QByteArray& section);
    QList<QByteArray> sections() const;
    QList<QByteArray> keys(const QByteArray& section) const;

    const QString& path() const { return m_path; }

private:
    struct Line
    {
        QByteArray key; // empty for a section header, comment or blank line
        QByteArray value;
        QByteArray raw; // the line as read, for non key lines
    };
    struct Section
    {
        QByteArray name;
        QList<Line> lines;
    };
    int findSection(const QByteArray& name) const;
    static QList<Section> parse(const QByteArray& bytes);
    // What this process read of each file, by absolute path (ini_file.cpp).
    struct Cached;
    static QHash<QString, Cached>& cache();

    QString m_path;
    QString m_loadError;
    QList<Section> m_sections; // the first one has an empty name: lines before any header
};

} // namespace platform
