#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace platform {

// A small INI file: "[section]" lines and "key=value" lines. Section and key
// names compare case-insensitively; values are kept as raw bytes so that the
// caller decides their encoding (the settings file holds scrambled bytes).
// Unknown lines survive a load/save round trip.
class IniFile
{
public:
    explicit IniFile(QString path);

    // Reads the file; a missing or unreadable file reads as empty.
    bool load();
    // Writes the file atomically; false when it cannot be written.
    bool save() const;

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

    QString m_path;
    QList<Section> m_sections; // the first one has an empty name: lines before any header
};

} // namespace platform
