#include "platform/ini_file.h"

#include <QFile>
#include <QSaveFile>

namespace platform {

IniFile::IniFile(QString path) : m_path(std::move(path))
{
    m_sections.append(Section{});
}

bool IniFile::load()
{
    m_sections.clear();
    m_sections.append(Section{});
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray all = file.readAll();
    for (QByteArray line : all.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        const QByteArray trimmed = line.trimmed();
        if (trimmed.startsWith('[') && trimmed.endsWith(']')) {
            m_sections.append(Section{trimmed.mid(1, trimmed.size() - 2).trimmed(), {}});
            continue;
        }
        const int eq = line.indexOf('=');
        if (eq > 0 && !trimmed.startsWith(';') && !trimmed.startsWith('#')) {
            m_sections.last().lines.append(Line{line.left(eq).trimmed(), line.mid(eq + 1), {}});
        } else if (!trimmed.isEmpty()) {
            m_sections.last().lines.append(Line{{}, {}, line});
        }
    }
    return true;
}

bool IniFile::save() const
{
    QByteArray out;
    for (const Section& s : m_sections) {
        if (!s.name.isEmpty() || &s != &m_sections.first())
            out += '[' + s.name + "]\r\n";
        for (const Line& l : s.lines)
            out += (l.key.isEmpty() ? l.raw : l.key + '=' + l.value) + "\r\n";
    }
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(out);
    return file.commit();
}

int IniFile::findSection(const QByteArray& name) const
{
    for (int i = 1; i < m_sections.size(); ++i)
        if (qstricmp(m_sections[i].name.constData(), name.constData()) == 0)
            return i;
    return -1;
}

bool IniFile::hasSection(const QByteArray& section) const
{
    return findSection(section) >= 0;
}

bool IniFile::hasValue(const QByteArray& section, const QByteArray& key) const
{
    const int i = findSection(section);
    if (i < 0)
        return false;
    for (const Line& l : m_sections[i].lines)
        if (!l.key.isEmpty() && qstricmp(l.key.constData(), key.constData()) == 0)
            return true;
    return false;
}

QByteArray IniFile::value(const QByteArray& section, const QByteArray& key,
                          const QByteArray& fallback) const
{
    const int i = findSection(section);
    if (i < 0)
        return fallback;
    for (const Line& l : m_sections[i].lines)
        if (!l.key.isEmpty() && qstricmp(l.key.constData(), key.constData()) == 0)
            return l.value;
    return fallback;
}

int IniFile::intValue(const QByteArray& section, const QByteArray& key, int fallback) const
{
    bool ok = false;
    const int v = value(section, key).trimmed().toInt(&ok);
    return ok ? v : fallback;
}

void IniFile::setValue(const QByteArray& section, const QByteArray& key, const QByteArray& value)
{
    ensureSection(section);
    Section& s = m_sections[findSection(section)];
    for (Line& l : s.lines) {
        if (!l.key.isEmpty() && qstricmp(l.key.constData(), key.constData()) == 0) {
            l.value = value;
            return;
        }
    }
    s.lines.append(Line{key, value, {}});
}

void IniFile::ensureSection(const QByteArray& section)
{
    if (findSection(section) < 0)
        m_sections.append(Section{section, {}});
}

void IniFile::removeSection(const QByteArray& section)
{
    const int i = findSection(section);
    if (i >= 0)
        m_sections.removeAt(i);
}

QList<QByteArray> IniFile::sections() const
{
    QList<QByteArray> names;
    for (int i = 1; i < m_sections.size(); ++i)
        names.append(m_sections[i].name);
    return names;
}

QList<QByteArray> IniFile::keys(const QByteArray& section) const
{
    QList<QByteArray> names;
    const int i = findSection(section);
    if (i >= 0)
        for (const Line& l : m_sections[i].lines)
            if (!l.key.isEmpty())
                names.append(l.key);
    return names;
}

} // namespace platform
