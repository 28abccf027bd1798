#include "maintenance/backup.h"

#include "audit/audit_file.h"
#include "audit/record.h"

#include "maintenance/archive_files.h"
#include "platform/zip_archive.h"
#include "shell/clock.h"
#include "shell/file_helpers.h"
#include "shell/kept_files.h"
#include "shell/log.h"
#include "shell/replace_file.h"
#include "shell/text_helpers.h"
#include "shell/ui.h"
#include "shell/workspace.h"
#include "store/data_folder.h"
#include "store/database.h"
#include "store/integrity.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStorageInfo>

#include <sqlite3.h>
#include <unistd.h>

namespace maintenance {
namespace {

// Nothing a branch keeps comes near this; a larger archive is not ours.
constexpr qint64 kMaxRestoreBytes = qint64(16) << 30;
constexpr qint64 kRatioCheckedBytes = qint64(16) << 20;
constexpr qint64 kMaxRatio = 500;

QString volumeName(const QString& folder, const QString& stamp, int volume)
{
    return folder + "FA" + stamp + "." + QString::number(volume).rightJustified(3, '0');
}

QString driveFolder(const Media& media, Medium medium)
{
    return medium == Medium::DriveA   ? media.driveA
           : medium == Medium::DriveB ? media.driveB
                                      : QString();
}

bool isInside(const QString& path, const QString& folder)
{
    if (folder.isEmpty())
        return false;
    const QString p = QDir::cleanPath(QFileInfo(path).absoluteFilePath()) + '/';
    const QString f = QDir::cleanPath(QFileInfo(folder).absoluteFilePath()) + '/';
    return p == f;
}

// A lock on each database, taken through the engine as any program takes
// it. A backup holds a read lock while the archive is written, so that no
// other program can change a file half-way through; a restore holds an
// exclusive one until the data folder is replaced, so that no program is
// cut off in the middle of its own transaction. Either rolls back a
// transaction a crash left behind before the file is read or replaced.
class DatabaseLocks
{
public:
    enum class Mode { Read, Exclusive };

    explicit DatabaseLocks(Mode mode) : m_mode(mode) {}
    DatabaseLocks(const DatabaseLocks&) = delete;
    DatabaseLocks& operator=(const DatabaseLocks&) = delete;

    ~DatabaseLocks() { release(); }

    // Fails when another program holds the file.
    platform::Result<> take(const QString& file)
    {
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly) || f.read(16) != QByteArray("SQLite format 3\0", 16))
            return {}; // not a database: nothing to hold
        const QString name = QString("PelmarDataLock%1").arg(m_names.size());
        m_names.append(name);
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", name);
        db.setDatabaseName(file);
        db.setConnectOptions("QSQLITE_BUSY_TIMEOUT=3000");
        if (!db.open())
            return {};
        QSqlQuery q(db);
        const bool held = m_mode == Mode::Read
                              ? q.exec("BEGIN") && q.exec("SELECT count(*) FROM sqlite_master")
                              : q.exec("BEGIN EXCLUSIVE");
        if (held)
            return {};
        const int code = q.lastError().nativeErrorCode().toInt() & 0xFF;
        if (code == SQLITE_BUSY || code == SQLITE_LOCKED)
            return platform::Fail("자료 파일을 다른 프로그램이 사용하고 있습니다.\r" + file);
        return {}; // a damaged file is still worth keeping, or replacing
    }

    void release()
    {
        for (const QString& name : m_names) {
            {
                QSqlDatabase db = QSqlDatabase::database(name, false);
                QSqlQuery(db).exec("ROLLBACK");
                db.close();
            }
            QSqlDatabase::removeDatabase(name);
        }
        m_names.clear();
    }

private:
    Mode m_mode;
    QStringList m_names;
};

// A plain file name: no folder part, nothing that climbs out, no drive.
bool isSafeEntryName(const QString& name)
{
    if (name.isEmpty() || name == "." || name == ".." || name.contains("..") ||
        name.contains('/') || name.contains('\\') || name.contains(':') || name.contains(QChar(0)))
        return false;
    return true;
}

// Where an archive entry belongs. The tables keep their bare names, as
// archives always had them; the consents' evidence and the files kept from
// the exchanges with the bank lie under their folders of the workspace:
// "AUTHFILE/<name>", "Send/Old/<yyyyMMdd>/<name>", "Recv/Old/<yyyyMMdd>/<name>".
enum class EntryKind { Data, Evidence, Kept, Refused };

EntryKind entryKind(const QString& name)
{
    if (isSafeEntryName(name))
        return EntryKind::Data;
    const QStringList parts = name.split('/');
    if (!isSafeEntryName(parts.last()))
        return EntryKind::Refused;
    if (parts.size() == 2 && parts[0] == "AUTHFILE")
        return EntryKind::Evidence;
    static const QRegularExpression day("^[0-9]{8}$");
    if (parts.size() == 4 && (parts[0] == "Send" || parts[0] == "Recv") && parts[1] == "Old" &&
        day.match(parts[2]).hasMatch())
        return EntryKind::Kept;
    return EntryKind::Refused;
}

// The evidence and kept exchange files the backup carries, under their
// entry names. Only regular files whose names a restore accepts go in; any
// other is left out with a log line (the program never puts one there).
QList<platform::ZipSource> workspaceFiles(const shell::Workspace& ws)
{
    QList<platform::ZipSource> files;
    const auto add = [&](const QString& folder, const QString& prefix, EntryKind kind) {
        const QDir dir(ws.programDir + folder);
        for (const QFileInfo& f : dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                                        QDir::NoDotAndDotDot,
                                                    QDir::Name)) {
            const QString name = prefix + f.fileName();
            if (f.isFile() && !f.isSymLink() && entryKind(name) == kind)
                files.append({f.filePath(), name});
            else
                shell::WriteLog("백업에서 제외한 파일 " + f.filePath());
        }
    };
    add("AUTHFILE", "AUTHFILE/", EntryKind::Evidence);
    for (const char* kept : {"Send/Old", "Recv/Old"}) {
        const QDir dir(ws.programDir + kept);
        for (const QFileInfo& d : dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                                        QDir::NoDotAndDotDot,
                                                    QDir::Name)) {
            const QString folder = QString(kept) + "/" + d.fileName();
            if (d.isDir() && !d.isSymLink())
                add(folder, folder + "/", EntryKind::Kept);
            else
                shell::WriteLog("백업에서 제외한 파일 " + d.filePath());
        }
    }
    return files;
}

// Builds the archive of DataDir's *.db, the evidence and the kept exchange
// files under a temporary name and checks that it reads back whole.
bool buildArchive(shell::Ui& ui, const shell::Workspace& ws, const QString& temp)
{
    const QString dataDir = ws.dataDir;
    QStringList names;
    shell::ListFiles(dataDir, "*.db", names);
    if (names.isEmpty()) {
        ui.ShowError("백업할 자료 파일이 없습니다.\r" + dataDir);
        return false;
    }
    QList<platform::ZipSource> files;
    for (const QString& n : names)
        files.append({dataDir + n, n});
    files += workspaceFiles(ws);
    {
        DatabaseLocks locks(DatabaseLocks::Mode::Read);
        for (const QString& n : names) {
            if (const platform::Result<> taken = locks.take(dataDir + n); !taken) {
                ui.ShowError(taken.error());
                return false;
            }
        }
        const platform::Result<> z = platform::CreateZip(temp, files);
        if (!z) {
            ui.ShowError(z.error());
            return false;
        }
    }
    const auto entries = platform::ReadZipDirectory(temp);
    if (!entries || entries->size() != files.size()) {
        ui.ShowError(entries ? temp + ": 압축 파일이 올바르지 않습니다." : entries.error());
        return false;
    }
    return true;
}

enum class Retry { Again, GiveUp };

Retry askCreateFailed(shell::Ui& ui, const QString& file, bool floppy)
{
    const QString text =
        floppy ? QString("파일 %1를 생성할 수 없습니다.\r\r디스켓이 기록 가능한 상태인지 "
                         "확인하여 주십시오.")
                     .arg(QDir::toNativeSeparators(file))
               : QString("파일 %1를 생성할 수 없습니다.\r\r확인하여 주십시오.")
                     .arg(QDir::toNativeSeparators(file));
    return ui.Ask(text, shell::Ui::Ok | shell::Ui::Cancel, shell::Ui::Ok) == shell::Ui::Ok
               ? Retry::Again
               : Retry::GiveUp;
}

// The whole archive onto the hard disk. QSaveFile writes beside the target
// and renames only after every byte is down, so an earlier archive of the
// same name survives a full disk.
bool storeWhole(shell::Ui& ui, const QString& temp, const QString& target)
{
    for (;;) {
        QFile in(temp);
        QSaveFile out(target);
        if (in.open(QIODevice::ReadOnly) && out.open(QIODevice::WriteOnly) &&
            CopyBytes(in, out, in.size()) && out.commit() && QFileInfo(target).size() == in.size())
            return true;
        out.cancelWriting();
        if (askCreateFailed(ui, target, false) == Retry::GiveUp)
            return false;
    }
}

// The archive cut into volumes, one per disk. Each volume is written under
// a ".part" name and renamed when whole; an earlier backup on the disk is
// replaced only by the finished last volume.
bool storeVolumes(Context& ctx, const QString& temp, const QString& folder, const QString& stamp)
{
    shell::Ui& ui = ctx.ui;
    QFile in(temp);
    if (!in.open(QIODevice::ReadOnly)) {
        ui.ShowError(temp + "\r" + in.errorString());
        return false;
    }
    qint64 remaining = in.size();
    QString lastPart;
    QString lastName;
    QDateTime lastWritten;
    int written = 0;
    // A finished volume of this run that is still in the drive (the disk was
    // not changed) is taken back when the user gives up.
    const auto dropUnchangedVolume = [&] {
        if (!lastName.isEmpty() && QFileInfo(lastName).lastModified() == lastWritten)
            QFile::remove(lastName);
    };
    for (int i = 1;; ++i) {
        const QString name = volumeName(folder, stamp, i);
        const QString part = name + ".part";
        qint64 chunk = 0;
        for (;;) {
            qint64 free = DriveFreeSpace(folder, ctx.media.diskSize);
            // What a leftover ".part" of this volume holds comes back when it is rewritten.
            if (free >= 0 && QFileInfo(part).isFile())
                free += QFileInfo(part).size();
            while (free <= 0) {
                const QString question =
                    free < 0
                        ? QStringLiteral("디스켓을 넣어 주십시오.")
                        : QStringLiteral(
                              "디스켓의 여유 공간이 부족합니다.\r\r다른 디스켓을 넣어 주십시오.");
                if (ui.Ask(question, shell::Ui::Ok | shell::Ui::Cancel, shell::Ui::Ok) !=
                    shell::Ui::Ok) {
                    QFile::remove(part);
                    dropUnchangedVolume();
                    ui.ShowInfo(QStringLiteral("자료 백업 처리가 취소되었습니다."));
                    return false;
                }
                free = DriveFreeSpace(folder, ctx.media.diskSize);
                if (free >= 0 && QFileInfo(part).isFile())
                    free += QFileInfo(part).size();
            }
            chunk = qMin(free, remaining);
            const qint64 offset = in.size() - remaining;
            QFile out(part);
            if (in.seek(offset) && out.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                CopyBytes(in, out, chunk) && out.flush()) {
                out.close();
                break;
            }
            out.close();
            QFile::remove(part);
            if (askCreateFailed(ui, name, true) == Retry::GiveUp) {
                dropUnchangedVolume();
                return false;
            }
        }
        remaining -= chunk;
        ++written;
        lastPart = part;
        lastName = name;
        if (remaining == 0)
            break;
        if (const platform::Result<> renamed = shell::ReplaceFile(part, name); !renamed) {
            QFile::remove(part);
            dropUnchangedVolume();
            ui.ShowError(renamed.error());
            return false;
        }
        lastWritten = QFileInfo(name).lastModified();
    }
    const QString finalName =
        written == 1 ? folder + "FA" + stamp + ".zip" : folder + "FA" + stamp + ".end";
    if (const platform::Result<> renamed = shell::ReplaceFile(lastPart, finalName); !renamed) {
        QFile::remove(lastPart);
        ui.ShowError(renamed.error());
        return false;
    }
    return true;
}

// Joins FA + stamp + ".001", ".002" … ".end" from the drive into `temp`,
// asking for each disk.
bool assembleVolumes(shell::Ui& ui, const QString& source, const QString& stamp,
                     const QString& temp)
{
    ui.ShowWaitMessage(QStringLiteral("자료를 읽어 들이고 있습니다"));
    QFile out(temp);
    if (!out.open(QIODevice::WriteOnly)) {
        ui.ShowError(temp + "\r" + out.errorString());
        return false;
    }
    // Whatever stops the joining leaves no half-joined file behind.
    const auto stop = [&](const QString& message) {
        out.close();
        QFile::remove(temp);
        ui.ShowInfo(message);
        return false;
    };
    const auto cancelled = [&] { return stop(QStringLiteral("자료 복구 작업이 취소되었습니다.")); };
    const auto unreadable = [&] {
        return stop(QStringLiteral("자료를 읽을수가 없습니다.\r파일 또는 디스크에 이상이 있는지 "
                                   "확인하여 주십시오."));
    };
    const auto append = [&](const QString& file) {
        QFile in(file);
        return in.open(QIODevice::ReadOnly) && CopyBytes(in, out, in.size());
    };
    const QString endName = "FA" + stamp + ".end";
    for (int n = 1;; ++n) {
        const QString volume = QFileInfo(volumeName(source, stamp, n)).fileName();
        while (!QFileInfo(FindFileNoCase(source, volume)).isFile())
            if (ui.Ask(QStringLiteral("자료를 읽을 수 없습니다."),
                       shell::Ui::Ok | shell::Ui::Cancel, shell::Ui::Ok) != shell::Ui::Ok)
                return cancelled();
        if (!append(FindFileNoCase(source, volume)))
            return unreadable();
        const QString next = QFileInfo(volumeName(source, stamp, n + 1)).fileName();
        const auto present = [&](const QString& f) {
            return QFileInfo(FindFileNoCase(source, f)).isFile();
        };
        // The same disk is still in the drive (unless it also holds what comes next).
        while (present(volume) && !present(next) && !present(endName))
            if (ui.Ask(QStringLiteral("다음 디스켓을 넣으십시오."),
                       shell::Ui::Ok | shell::Ui::Cancel, shell::Ui::Ok) != shell::Ui::Ok)
                return cancelled();
        if (present(endName) && !present(next))
            break;
    }
    if (!append(FindFileNoCase(source, endName)) || !out.flush())
        return unreadable();
    return true;
}

// Moves the files a restore unpacked (relative paths under `staged`) to
// their places in the workspace. Evidence takes the name its consent
// records, so the backup's file replaces one of the same name; a kept
// exchange file is never replaced: one of the same name and other bytes
// stays, and the backup's copy is kept beside it as name.1, name.2 … like
// any kept copy. Files the backup does not hold stay where they are.
platform::Result<> PlaceRestoredFiles(const QString& staged, const QString& programDir)
{
    QDirIterator it(staged, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString from = it.next();
        const QString relative = QDir(staged).relativeFilePath(from);
        QString to = programDir + relative;
        const QString folder = QFileInfo(to).absolutePath() + "/";
        if (!QDir().mkpath(folder))
            return platform::Fail(QDir::toNativeSeparators(folder) + ": 폴더를 만들 수 없습니다.");
        if (entryKind(relative) == EntryKind::Kept) {
            to = shell::KeptCopyPath(from, QFileInfo(to).fileName(), folder);
            if (QFileInfo::exists(to))
                continue; // kept already, byte for byte
        }
        if (const platform::Result<> moved = shell::ReplaceFile(from, to); !moved)
            return moved;
    }
    return {};
}

QString checkDatabase(const QString& file)
{
    // The archive's checksums vouch for every byte; what is left to know is
    // that the engine reads the file and that it is ours.
    const platform::Result<> checked =
        store::WithDatabase("PelmarRestoreCheck", file, [](QSqlDatabase& db) -> platform::Result<> {
            if (!store::IsPelmarDatabase(db))
                return platform::Fail("Pelmar 자료 파일이 아닙니다.");
            return {};
        });
    return checked.error();
}

} // namespace

bool ResolveMedium(Context& ctx, const QString& destination, Medium& medium, QString& folder)
{
    const QString d = destination.trimmed();
    medium = Medium::HardDisk;
    folder = shell::WithBackslash(d);
    const bool driveLetter = d.size() >= 2 && d.size() <= 3 && d[1] == ':' &&
                             (d.size() == 2 || d[2] == '\\' || d[2] == '/');
    const QChar letter = driveLetter ? d[0].toUpper() : QChar();
    if (letter == 'A' || letter == 'B') {
        medium = letter == 'A' ? Medium::DriveA : Medium::DriveB;
        folder = driveFolder(ctx.media, medium);
        if (folder.isEmpty()) {
            ctx.ui.ShowInfo(
                QString("%1 드라이브가 설정되어 있지 않습니다.\r\rFirm.ini의 [Backup] Drive%1 "
                        "항목에 디스켓 드라이브 폴더를 지정하여 주십시오.")
                    .arg(letter));
            return false;
        }
        return true;
    }
    if (isInside(d, ctx.media.driveA))
        medium = Medium::DriveA;
    else if (isInside(d, ctx.media.driveB))
        medium = Medium::DriveB;
    return true;
}

qint64 DriveFreeSpace(const QString& folder, qint64 diskSize)
{
    const QFileInfo fi(folder);
    if (!fi.isDir() || !fi.isReadable())
        return -1;
    QStorageInfo storage(folder);
    qint64 free = storage.isValid() ? storage.bytesAvailable() : -1;
    if (free < 0)
        return -1;
    if (diskSize > 0) {
        qint64 used = 0;
        for (const QFileInfo& f : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden))
            used += f.size();
        free = qMin(free, qMax<qint64>(0, diskSize - used));
    }
    return free;
}

namespace {

// What a backup, restore or reorganisation did, in the change record; false
// after the failure was shown.
bool recordRun(Context& ctx, const QString& action, const QString& what)
{
    const platform::Result<> recorded = audit::RecordInWorkspace(
        ctx.ws, {{action, QStringLiteral("자료"), QDir::toNativeSeparators(what), QString(),
                  QString(), QVariant(), QVariant()}});
    if (!recorded)
        ctx.ui.ShowError(recorded.error());
    return recorded.ok();
}

bool backupArchive(Context& ctx, const QString& destination, QString* archive);

} // namespace

bool Backup(Context& ctx, const QString& destination, QString* archive)
{
    QString written;
    if (!backupArchive(ctx, destination, &written))
        return false;
    if (archive)
        *archive = written;
    return recordRun(ctx, audit::action::Backup, written);
}

namespace {

bool backupArchive(Context& ctx, const QString& destination, QString* archive)
{
    shell::Ui& ui = ctx.ui;
    QString dest = destination;
    if (dest.trimmed().isEmpty()) {
        const auto chosen =
            ui.ChooseDirectory(QStringLiteral("자료를 저장할 폴더 선택"), ctx.ws.programDir);
        if (!chosen || chosen->trimmed().isEmpty())
            return false;
        dest = shell::WithBackslash(*chosen);
    }
    ui.ShowWaitMessage(ctx.program == Program::Vandry ? QStringLiteral("자료 백업 준비중입니다")
                                                      : QStringLiteral("자료 백업을 준비중입니다"));
    const QString stamp =
        shell::Now().toString(ctx.program == Program::Vandry ? "yyMMdd" : "yyMMddHHmm");
    Medium medium = Medium::HardDisk;
    QString folder;
    if (!ResolveMedium(ctx, dest, medium, folder))
        return false;

    ui.ShowWaitMessage(QStringLiteral("자료 압축 처리중..."));
    const QString temp = TemporaryArchivePath(ctx.ws);
    const auto removeTemp = qScopeGuard([&temp] { QFile::remove(temp); });
    if (!buildArchive(ui, ctx.ws, temp))
        return false;

    ui.ShowWaitMessage(QStringLiteral("압축된 자료를 저장하고 있습니다"));
    if (medium == Medium::HardDisk) {
        const QString target = folder + "FA" + stamp + ".zip";
        if (!storeWhole(ui, temp, target))
            return false;
        shell::FollowUserUmask(target);
        if (archive)
            *archive = target;
        return true;
    }
    if (!storeVolumes(ctx, temp, folder, stamp))
        return false;
    for (const QFileInfo& f : QDir(folder).entryInfoList({"FA" + stamp + ".*"}, QDir::Files))
        shell::FollowUserUmask(f.filePath());
    if (archive) {
        const QString single = folder + "FA" + stamp + ".zip";
        *archive = QFileInfo::exists(single) ? single : folder + "FA" + stamp + ".end";
    }
    return true;
}

} // namespace

QString BackupStamp(Program program, const QString& fileName)
{
    const QString name = QFileInfo(fileName).fileName().toUpper();
    const bool known = name.endsWith(".ZIP") || name.endsWith(".001");
    if (!known || !name.startsWith("FA"))
        return {};
    const QString digits = name.mid(2, name.size() - 6);
    const bool shortForm = name.size() == 12;
    const bool longForm = name.size() == 16 && program == Program::Pelmar;
    if ((!shortForm && !longForm) || !shell::IsDigitText(digits))
        return {};
    return digits;
}

bool ReplaceDataFromArchive(shell::Ui& ui, const shell::Workspace& ws, const QString& archive)
{
    ui.ShowWaitMessage(QStringLiteral("기존 자료를 삭제하고 있습니다"));
    const auto entries = platform::ReadZipDirectory(archive);
    if (!entries) {
        ui.ShowError(entries.error());
        return false;
    }
    qint64 total = 0;
    bool hasDatabase = false;
    bool hasFiles = false;
    for (const platform::ZipEntry& e : *entries) {
        const EntryKind kind = entryKind(e.name);
        if (kind == EntryKind::Refused) {
            ui.ShowError("백업 파일에 사용할 수 없는 이름이 있어 복구하지 않습니다.\r" + e.name);
            return false;
        }
        // Only files are restored; a link could point anywhere.
        if (e.link) {
            ui.ShowError("백업 파일에 파일이 아닌 항목(링크)이 있어 복구하지 않습니다.\r" + e.name);
            return false;
        }
        if (e.size < 0 || e.size > kMaxRestoreBytes - total) {
            ui.ShowError("백업 파일의 크기가 올바르지 않아 복구하지 않습니다.\r" + archive);
            return false;
        }
        // Deflate never packs real tables a thousand to one; only a
        // crafted entry does, and it would fill the disk.
        if (e.size > kRatioCheckedBytes && e.compressedSize >= 0 &&
            e.size / qMax<qint64>(1, e.compressedSize) > kMaxRatio) {
            ui.ShowError("백업 파일의 크기가 올바르지 않아 복구하지 않습니다.\r" + archive);
            return false;
        }
        total += e.size;
        hasFiles = hasFiles || kind != EntryKind::Data;
        hasDatabase = hasDatabase || e.name.compare("Pelmar.db", Qt::CaseInsensitive) == 0;
    }
    if (!hasDatabase) {
        ui.ShowError("백업 파일에 자료 파일(Pelmar.db)이 없습니다.\r" + archive);
        return false;
    }

    const QString dataDir = QDir::cleanPath(QFileInfo(ws.dataDir).absoluteFilePath());
    const QString stage = store::StagedDataDir(dataDir);
    const QString old = store::SwappedOutDataDir(dataDir);
    // The evidence and kept files wait beside the new data until it is in place.
    const QString filesStage = stage + "-files";
    for (const QString& leftover : {stage, old, filesStage})
        shell::RemoveFolder(leftover, ws.programDir);
    const auto removeStages = [&] {
        shell::RemoveFolder(stage, ws.programDir);
        shell::RemoveFolder(filesStage, ws.programDir);
    };

    // Another program in the middle of a transaction keeps its data: the
    // folder is replaced only while this one holds every database.
    DatabaseLocks locks(DatabaseLocks::Mode::Exclusive);
    QStringList live;
    shell::ListFiles(dataDir + "/", "*.db", live);
    for (const QString& n : live) {
        if (const platform::Result<> taken = locks.take(dataDir + "/" + n); !taken) {
            ui.ShowError(taken.error());
            return false;
        }
    }

    const QStorageInfo storage(QFileInfo(dataDir).absolutePath());
    if (storage.isValid() && storage.bytesAvailable() >= 0 && total > storage.bytesAvailable()) {
        ui.ShowError("자료를 풀어 놓을 디스크 공간이 부족합니다.\r" + storage.rootPath());
        return false;
    }

    ui.ShowWaitMessage(QStringLiteral("압축을 해제하고 있습니다"));
    QDir().mkpath(stage);
    const platform::Result<> z =
        platform::ExtractZipEntries(archive, [&](const QString& name) -> QString {
            return entryKind(name) == EntryKind::Data ? stage + "/" + name
                                                      : filesStage + "/" + name;
        });
    if (!z) {
        removeStages();
        ui.ShowError(z.error());
        return false;
    }
    const QString dbName = QFileInfo(FindFileNoCase(stage + "/", "Pelmar.db")).fileName();
    if (dbName != "Pelmar.db" && !QFile::rename(stage + "/" + dbName, stage + "/Pelmar.db")) {
        removeStages();
        ui.ShowError(stage + "/" + dbName);
        return false;
    }
    const QString problem = checkDatabase(stage + "/Pelmar.db");
    if (!problem.isEmpty()) {
        removeStages();
        ui.ShowError("백업 파일의 자료를 사용할 수 없어 복구하지 않습니다.\r\r" + problem);
        return false;
    }

    // The change record never goes back with the data: the live file takes
    // the backup's place in the new folder (a second name for it, under the
    // locks), so a restore takes no row away.
    const QString liveAudit = audit::AuditFile(dataDir);
    const QString stagedAudit = audit::AuditFile(stage);
    if (QFileInfo::exists(liveAudit)) {
        QFile::remove(stagedAudit);
        if (::link(QFile::encodeName(liveAudit).constData(),
                   QFile::encodeName(stagedAudit).constData()) != 0 &&
            !QFile::copy(liveAudit, stagedAudit)) {
            removeStages();
            ui.ShowError("변경 이력 파일을 옮길 수 없어 복구하지 않습니다.\r" + liveAudit);
            return false;
        }
    }

    // Both renames stay on one disk, so the data folder is never half there.
    const bool hadData = QFileInfo(dataDir).isDir();
    if (hadData && !QDir().rename(dataDir, old)) {
        removeStages();
        ui.ShowError("기존 자료 폴더를 바꿀 수 없습니다.\r" + dataDir);
        return false;
    }
    if (!QDir().rename(stage, dataDir)) {
        if (hadData)
            QDir().rename(old, dataDir);
        removeStages();
        ui.ShowError("자료 폴더를 바꿀 수 없습니다.\r" + dataDir);
        return false;
    }
    locks.release();
    shell::RemoveFolder(old, ws.programDir);
    if (!hasFiles)
        return true; // an archive of the tables only leaves the other files as they are
    if (const platform::Result<> placed = PlaceRestoredFiles(filesStage, ws.programDir); !placed) {
        ui.ShowError("자료는 복구하였으나 증빙 파일과 보관 파일을 모두 되돌리지 못했습니다.\r" +
                     placed.error() + "\r\r풀어 놓은 파일은 " +
                     QDir::toNativeSeparators(filesStage) + "에 남아 있습니다.");
        return false;
    }
    shell::RemoveFolder(filesStage, ws.programDir);
    return true;
}

namespace {
bool restoreArchive(Context& ctx, const QString& chosen, QString& restored);
} // namespace

bool Restore(Context& ctx, const QString& chosen)
{
    QString restored;
    if (!restoreArchive(ctx, chosen, restored))
        return false;
    return recordRun(ctx, audit::action::Restore, restored);
}

namespace {

bool restoreArchive(Context& ctx, const QString& chosen, QString& restored)
{
    shell::Ui& ui = ctx.ui;
    QString file = chosen;
    if (file.isEmpty()) {
        const QString first = ctx.program == Program::Vandry
                                  ? QStringLiteral("Tervo Veltrin 백업 파일 (FA*.*)")
                                  : QStringLiteral("펌뱅킹 백업 파일 (FA*.*)");
        const auto picked =
            ui.ChooseOpenFile(QStringLiteral("백업 파일 선택"), ctx.ws.programDir,
                              first + ";;일반 백업 파일 (FA*.zip);;다중 백업 파일 (FA*.001)");
        if (!picked || picked->isEmpty())
            return false;
        file = *picked;
    }
    const QString stamp = BackupStamp(ctx.program, file);
    if (stamp.isEmpty()) {
        ui.ShowInfo(QStringLiteral("백업 파일의 형식이 올바르지 않습니다."));
        return false;
    }
    const QString source = shell::WithBackslash(QFileInfo(file).absolutePath());
    const QString zipName = "FA" + stamp + ".zip";
    const bool floppy = isInside(source, ctx.media.driveA) || isInside(source, ctx.media.driveB);
    restored = file;
    if (!floppy)
        return ReplaceDataFromArchive(ui, ctx.ws, FindFileNoCase(source, zipName));

    const QString temp = TemporaryArchivePath(ctx.ws);
    const auto removeTemp = qScopeGuard([&temp] { QFile::remove(temp); });
    // A disk may hold an earlier single archive of the same stamp beside
    // volume 001 of a later set; the name the user chose says which is meant.
    const QString single = FindFileNoCase(source, zipName);
    const bool volumeChosen = QFileInfo(file).fileName().toUpper().endsWith(".001");
    if (!volumeChosen && QFileInfo(single).isFile()) {
        if (!QFile::copy(single, temp)) {
            ui.ShowInfo(
                QStringLiteral("자료를 읽을수가 없습니다.\r파일 또는 디스크에 이상이 있는지 "
                               "확인하여 주십시오."));
            return false;
        }
    } else if (!assembleVolumes(ui, source, stamp, temp)) {
        return false;
    }
    return ReplaceDataFromArchive(ui, ctx.ws, temp);
}

} // namespace

} // namespace maintenance
