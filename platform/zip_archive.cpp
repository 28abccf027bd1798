#include "platform/zip_archive.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <sys/stat.h>
#include <zip.h>

namespace platform {
namespace {

QString zipErrorText(int code)
{
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    const QString text = QString::fromLocal8Bit(zip_error_strerror(&error));
    zip_error_fini(&error);
    return text;
}

enum class CopyResult { Ok, ReadError, WriteError };

// Copies one opened entry into `out`, never more than the central directory
// declares: an entry that inflates beyond it is damaged or hostile. A
// damaged entry (its checksum included) is a read error.
CopyResult copyEntry(zip_t* zip, zip_uint64_t index, zip_file_t* entry, QIODevice& out)
{
    zip_stat_t st;
    zip_stat_init(&st);
    const bool sized = zip_stat_index(zip, index, 0, &st) == 0 && (st.valid & ZIP_STAT_SIZE);
    if (!sized)
        return CopyResult::WriteError;
    zip_uint64_t left = st.size;
    char buffer[65536];
    zip_int64_t n;
    while ((n = zip_fread(entry, buffer, sizeof buffer)) > 0) {
        if (zip_uint64_t(n) > left || out.write(buffer, n) != n)
            return CopyResult::WriteError;
        left -= zip_uint64_t(n);
    }
    return n < 0 ? CopyResult::ReadError : CopyResult::Ok;
}

// Opens `archive` read-only and hands `visit` each entry that has a name, in
// order, until it fails; the archive is closed after.
template <typename Visit> Result<> eachNamedEntry(const QString& archive, Visit&& visit)
{
    int code = 0;
    zip_t* zip = zip_open(QFile::encodeName(archive).constData(), ZIP_RDONLY, &code);
    if (!zip)
        return Fail(archive + ": " + zipErrorText(code));
    const zip_int64_t count = zip_get_num_entries(zip, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* name = zip_get_name(zip, zip_uint64_t(i), ZIP_FL_ENC_GUESS);
        if (!name)
            continue;
        if (Result<> visited = visit(zip, zip_uint64_t(i), name); !visited) {
            zip_discard(zip);
            return visited;
        }
    }
    zip_discard(zip);
    return {};
}

} // namespace

Result<> CreateZip(const QString& archive, const QStringList& files)
{
    QList<ZipSource> sources;
    for (const QString& file : files)
        sources.append({file, QFileInfo(file).fileName()});
    return CreateZip(archive, sources);
}

Result<> CreateZip(const QString& archive, const QList<ZipSource>& files)
{
    QFile::remove(archive);
    int code = 0;
    zip_t* zip = zip_open(QFile::encodeName(archive).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!zip)
        return Fail(archive + ": " + zipErrorText(code));
    for (const ZipSource& file : files) {
        zip_source_t* src = zip_source_file(zip, QFile::encodeName(file.file).constData(), 0, -1);
        if (!src) {
            const QString err = file.file + ": " + QString::fromLocal8Bit(zip_strerror(zip));
            zip_discard(zip);
            return Fail(err);
        }
        const QByteArray name = file.name.toUtf8();
        const zip_int64_t index =
            zip_file_add(zip, name.constData(), src, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(src);
            const QString err = file.file + ": " + QString::fromLocal8Bit(zip_strerror(zip));
            zip_discard(zip);
            return Fail(err);
        }
        zip_set_file_compression(zip, zip_uint64_t(index), ZIP_CM_DEFLATE, 9);
    }
    if (zip_close(zip) != 0) {
        const QString err = archive + ": " + QString::fromLocal8Bit(zip_strerror(zip));
        zip_discard(zip);
        QFile::remove(archive);
        return Fail(err);
    }
    return {};
}

Result<QStringList> ListZip(const QString& archive)
{
    QStringList names;
    const Result<> listed = eachNamedEntry(archive, [&](zip_t*, zip_uint64_t, const char* name) {
        names.append(QString::fromUtf8(name));
        return Result<>{};
    });
    if (!listed)
        return Fail(listed.error());
    return names;
}

Result<QList<ZipEntry>> ReadZipDirectory(const QString& archive)
{
    QList<ZipEntry> entries;
    int code = 0;
    zip_t* zip =
        zip_open(QFile::encodeName(archive).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
    if (!zip)
        return Fail(archive + ": " + zipErrorText(code));
    const zip_int64_t count = zip_get_num_entries(zip, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(zip, zip_uint64_t(i), ZIP_FL_ENC_GUESS, &st) != 0 || !st.name) {
            const QString err = archive + ": " + QString::fromLocal8Bit(zip_strerror(zip));
            zip_discard(zip);
            return Fail(err);
        }
        ZipEntry e;
        e.name = QString::fromUtf8(st.name);
        e.size = (st.valid & ZIP_STAT_SIZE) ? qint64(st.size) : -1;
        e.compressedSize = (st.valid & ZIP_STAT_COMP_SIZE) ? qint64(st.comp_size) : -1;
        zip_uint8_t opsys = 0;
        zip_uint32_t attributes = 0;
        if (zip_file_get_external_attributes(zip, zip_uint64_t(i), 0, &opsys, &attributes) == 0 &&
            opsys == ZIP_OPSYS_UNIX)
            e.link = ((attributes >> 16) & S_IFMT) == S_IFLNK;
        entries.append(e);
    }
    zip_discard(zip);
    return entries;
}

Result<> ExtractZip(const QString& archive, const QString& folder, QStringList* extracted)
{
    if (!QDir().mkpath(folder))
        return Fail(folder + ": cannot create folder");
    return ExtractZipEntries(archive, [&](const QString& stored) -> QString {
        QString name = stored;
        name.replace('\\', '/');
        name = name.section('/', -1);
        if (name.isEmpty() || name == "." || name == "..")
            return {}; // folder entries
        const QString path = QDir(folder).filePath(name);
        if (extracted)
            extracted->append(path);
        return path;
    });
}

Result<> ExtractZipEntries(const QString& archive,
                           const std::function<QString(const QString& name)>& target)
{
    int code = 0;
    zip_t* zip = zip_open(QFile::encodeName(archive).constData(), ZIP_RDONLY, &code);
    if (!zip)
        return Fail(archive + ": " + zipErrorText(code));
    const zip_int64_t count = zip_get_num_entries(zip, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* rawName = zip_get_name(zip, zip_uint64_t(i), ZIP_FL_ENC_GUESS);
        if (!rawName)
            continue;
        const QString path = target(QString::fromUtf8(rawName));
        if (path.isEmpty())
            continue;
        if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
            zip_discard(zip);
            return Fail(QFileInfo(path).absolutePath() + ": cannot create folder");
        }
        zip_file_t* entry = zip_fopen_index(zip, zip_uint64_t(i), 0);
        if (!entry) {
            const QString err = archive + ": " + QString::fromLocal8Bit(zip_strerror(zip));
            zip_discard(zip);
            return Fail(err);
        }
        QSaveFile out(path);
        if (!out.open(QIODevice::WriteOnly)) {
            zip_fclose(entry);
            zip_discard(zip);
            return Fail(out.fileName() + ": " + out.errorString());
        }
        const CopyResult copied = copyEntry(zip, zip_uint64_t(i), entry, out);
        const bool readError = copied == CopyResult::ReadError;
        const bool failed = copied == CopyResult::WriteError;
        zip_fclose(entry);
        if (readError || failed || !out.commit()) {
            const QString err =
                out.fileName() + ": " +
                (readError ? QStringLiteral("damaged archive entry") : out.errorString());
            zip_discard(zip);
            return Fail(err);
        }
    }
    zip_discard(zip);
    return {};
}

Result<> ReadZipEntries(const QString& archive,
                        const std::function<bool(const QString&, const QByteArray&)>& visit)
{
    const auto readEntry = [&](zip_t* zip, zip_uint64_t index, const char* rawName) -> Result<> {
        if (QByteArray(rawName).endsWith('/'))
            return {}; // folder entries
        zip_file_t* entry = zip_fopen_index(zip, index, 0);
        QBuffer bytes;
        bytes.open(QIODevice::WriteOnly);
        const CopyResult copied =
            entry ? copyEntry(zip, index, entry, bytes) : CopyResult::ReadError;
        if (entry)
            zip_fclose(entry);
        const QString name = QString::fromUtf8(rawName);
        if (copied != CopyResult::Ok)
            return Fail(archive + ": " + name + ": damaged archive entry");
        if (!visit(name, bytes.data()))
            return Fail(archive + ": " + name);
        return {};
    };
    return eachNamedEntry(archive, readEntry);
}

Result<QByteArray> ZipInMemory(const QList<std::pair<QString, QByteArray>>& entries)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_t* zip = buffer ? zip_open_from_source(buffer, ZIP_TRUNCATE, &error) : nullptr;
    if (!zip) {
        const QString why = QString::fromUtf8(zip_error_strerror(&error));
        if (buffer)
            zip_source_free(buffer);
        zip_error_fini(&error);
        return Fail("zip: " + why);
    }
    zip_error_fini(&error);
    zip_source_keep(buffer); // read back after the archive is closed
    const auto fail = [&](const QString& why) -> Result<QByteArray> {
        zip_discard(zip);
        zip_source_free(buffer);
        return Fail("zip: " + why);
    };
    for (const auto& [name, bytes] : entries) {
        zip_source_t* entry =
            zip_source_buffer(zip, bytes.constData(), zip_uint64_t(bytes.size()), 0);
        if (!entry || zip_file_add(zip, name.toUtf8().constData(), entry, ZIP_FL_ENC_UTF_8) < 0) {
            if (entry)
                zip_source_free(entry);
            return fail(name + ": " + QString::fromUtf8(zip_strerror(zip)));
        }
    }
    if (zip_close(zip) != 0)
        return fail(QString::fromUtf8(zip_strerror(zip)));
    QByteArray out;
    zip_stat_t st;
    if (zip_source_stat(buffer, &st) == 0 && zip_source_open(buffer) == 0) {
        out.resize(qsizetype(st.size));
        const zip_int64_t read = zip_source_read(buffer, out.data(), st.size);
        zip_source_close(buffer);
        if (read != zip_int64_t(st.size))
            out.clear();
    }
    zip_source_free(buffer);
    if (out.isEmpty())
        return Fail(QStringLiteral("zip: the archive built in memory cannot be read back"));
    return out;
}

} // namespace platform
