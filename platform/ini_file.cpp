#include "platform/ini_file.h"

#include "platform/settings_file.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QSaveFile>

#include <optional>
#include <sys/stat.h>
#include <ctime>

namespace platform {
namespace {

// A file's identity and state as stat() tells them: any write, rename over
// it or change of its link's target gives another stamp.
struct FileStamp
{
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};

    bool operator==(const FileStamp& o) const
    {
        return device == o.device && inode == o.inode && size == o.size &&
               modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec &&
               changed.tv_sec == o.changed.tv_sec && changed.tv_nsec == o.changed.tv_nsec;
    }
};

std::optional<FileStamp> stampOf(const QString& path)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    return FileStamp{st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
}

// File times come from a coarse clock (a few milliseconds): a file changed
// again within that time, in place and to the same size, keeps its stamp.
// So a file is kept only once its last change is this far behind the
// system's real time (not the program clock, which tests set).
bool settled(const FileStamp& stamp)
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const timespec& last =
        stamp.changed.tv_sec > stamp.modified.tv_sec ||
                (stamp.changed.tv_sec == stamp.modified.tv_sec &&
                 stamp.changed.tv_nsec > stamp.modified.tv_nsec)
            ? stamp.changed
            : stamp.modified;
    return now.tv_sec - last.tv_sec > 1;
}

QMutex g_cacheLock;

QString cacheKey(const QString& path)
{
    return QFileInfo(path).absoluteFilePath();
}

} // namespace

struct IniFile::Cached
{
    FileStamp stamp;
    QList<Section> sections;
};

QHash<QString, IniFile::Cached>& IniFile::cache()
{
    static QHash<QString, Cached> entries;
    return entries;
}

IniFile::IniFile(QString path) : m_path(std::move(path))
{
    m_sections.append(Section{});
}

QList<IniFile::Section> IniFile::parse(const QByteArray& all)
{
    QList<Section> sections{Section{}};
    for (QByteArray line : all.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        const QByteArray trimmed = line.trimmed();
        if (trimmed.startsWith('[') && trimmed.endsWith(']')) {
            sections.append(Section{trimmed.mid(1, trimmed.size() - 2).trimmed(), {}});
            continue;
        }
        const int eq = line.indexOf('=');
        if (eq > 0 && !trimmed.startsWith(';') && !trimmed.startsWith('#')) {
            sections.last().lines.append(Line{line.left(eq).trimmed(), line.mid(eq + 1), {}});
        } else if (!trimmed.isEmpty()) {
            sections.last().lines.append(Line{{}, {}, line});
        }
    }
    return sections;
}

Result<> IniFile::load()
{
    m_sections = {Section{}};
    m_loadError.clear();
    const QString key = cacheKey(m_path);
    const std::optional<FileStamp> stamp = stampOf(m_path);
    {
        const QMutexLocker lock(&g_cacheLock);
        const auto it = cache().constFind(key);
        if (stamp && it != cache().constEnd() && it->stamp == *stamp) {
            m_sections = it->sections;
            return {};
        }
        cache().remove(key);
    }
    const Result<std::optional<QByteArray>> read = ReadSettingsFile(m_path);
    if (!read) {
        m_loadError = read.error();
        return Fail(m_loadError);
    }
    if (!*read)
        return {};
    m_sections = parse(**read);
    // Kept under the stamp seen before the read: a change during the read
    // gives another stamp, and the next load reads the file again.
    if (stamp && settled(*stamp)) {
        const QMutexLocker lock(&g_cacheLock);
        cache().insert(key, Cached{*stamp, m_sections});
    }
    return {};
}

Result<> IniFile::save() const
{
    // A file that did not read would lose all but what was set here.
    if (!m_loadError.isEmpty())
        return Fail(m_loadError);
    if (Result<> writable = CheckSettingsFileWritable(m_path); !writable)
        return writable;
    QByteArray out;
    for (const Section& s : m_sections) {
        if (!s.name.isEmpty() || &s != &m_sections.first())
            out += '[' + s.name + "]\r\n";
        for (const Line& l : s.lines)
            out += (l.key.isEmpty() ? l.raw : l.key + '=' + l.value) + "\r\n";
    }
    {
        const QMutexLocker lock(&g_cacheLock);
        cache().remove(cacheKey(m_path));
    }
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return Fail(QStringLiteral("설정 파일을 쓸 수 없습니다: %1\r%2").arg(m_path, file.errorString()));
    file.write(out);
    if (!file.commit())
        return Fail(QStringLiteral("설정 파일을 쓸 수 없습니다: %1\r%2").arg(m_path, file.errorString()));
    return {};
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
