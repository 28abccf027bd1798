#include "edi/mailbox_link.h"

#include "platform/registry.h"
#include "shell/clock.h"
#include "shell/codec.h"
#include "shell/envelope_line.h"
#include "shell/kept_files.h"
#include "shell/text_helpers.h"
#include "shell/workspace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QCryptographicHash>
#include <QSaveFile>

#include <cerrno>
#include <unistd.h>

namespace edi {
namespace {

constexpr qint32 kFailed = -1;
constexpr qint32 kNoDirectory = -20;
constexpr qint32 kRegistryError = -777;

const char* const kJournal = "Journal.txt";
const char* const kReport = "RptEDI";
const char* const kStamp = "yyyyMMddHHmmss";

// One file that passed through the mailbox, as the journal keeps it.
struct Entry
{
    QChar direction; // 'S' sent, 'R' received
    QString boxName; // its name in Outbox/ or Inbox/
    QString infoName;
    QString receiverId;
    QDateTime sendTime;
    QDateTime receiveTime; // invalid until fetched
    int fetchCount = 0;
    qint64 size = 0;
    QString errorText;
};

// Settings of `key`, or the code to give up with.
struct Session
{
    qint32 failure = 0;
    shell::TEdiConfig settings;
    QString mailbox;
    QString folder; // the one folder the call works in, where it has one
};

Session openSession(const QString& key, const QString& programDir)
{
    Session s;
    if (key.compare(shell::LinkKey(), Qt::CaseInsensitive) != 0) {
        s.failure = kRegistryError;
        return s;
    }
    // Without the UserInfo key nothing the user set is known, so none of
    // the directories counts as set.
    if (!platform::Registry(platform::Registry::CurrentUser).KeyExists(shell::UserInfoKey())) {
        s.failure = kNoDirectory;
        return s;
    }
    shell::ReadSettings(s.settings);
    s.mailbox = MailboxLink::MailboxDir(s.settings, programDir);
    return s;
}

// The directory setting with its separator; empty when not set.
QString directory(const QString& setting)
{
    return shell::WithBackslash(setting);
}

// Creates the folder when missing; true when it can be written to.
bool writableDir(const QString& dir)
{
    if (!QDir().mkpath(dir))
        return false;
    const QFileInfo info(dir);
    return info.isDir() && info.isWritable();
}

// A session for a call that works in the folder of one setting, made when
// missing: a folder not set or not writable is the call's failure.
Session openSession(const QString& key, const QString& programDir,
                    QString shell::TEdiConfig::*setting)
{
    Session s = openSession(key, programDir);
    if (s.failure)
        return s;
    s.folder = directory(s.settings.*setting);
    if (s.folder.isEmpty())
        s.failure = kNoDirectory;
    else if (!writableDir(s.folder))
        s.failure = kFailed;
    return s;
}

QStringList filesIn(const QString& dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

QString stamp(const QDateTime& t)
{
    return t.isValid() ? t.toString(kStamp) : QString();
}

QString journalLine(const Entry& e)
{
    QStringList f{QString(e.direction),
                  e.boxName,
                  e.infoName,
                  e.receiverId,
                  stamp(e.sendTime),
                  stamp(e.receiveTime),
                  QString::number(e.fetchCount),
                  QString::number(e.size),
                  e.errorText};
    for (QString& s : f)
        s.replace('\t', ' ').replace('\r', ' ').replace('\n', ' ');
    return f.join('\t');
}

QList<Entry> readJournal(const QString& mailbox)
{
    QList<Entry> entries;
    QFile file(mailbox + kJournal);
    if (!file.open(QIODevice::ReadOnly))
        return entries;
    const QStringList lines = shell::FromCp949(file.readAll()).split("\r\n", Qt::SkipEmptyParts);
    for (const QString& line : lines) {
        const QStringList f = line.split('\t');
        if (f.size() < 9 || f[0].size() != 1)
            continue;
        Entry e;
        e.direction = f[0][0];
        e.boxName = f[1];
        e.infoName = f[2];
        e.receiverId = f[3];
        e.sendTime = QDateTime::fromString(f[4], kStamp);
        e.receiveTime = QDateTime::fromString(f[5], kStamp);
        e.fetchCount = f[6].toInt();
        e.size = f[7].toLongLong();
        e.errorText = f[8];
        entries.append(e);
    }
    return entries;
}

// Written through to the disk before the call answers: a journal line
// the power takes away would leave a delivered file out of the report.
bool appendJournal(const QString& mailbox, const Entry& e)
{
    QFile file(mailbox + kJournal);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const QByteArray bytes = shell::ToCp949(journalLine(e) + "\r\n");
    // A journal that cannot be synced (a pipe a test reads) is written as it is.
    if (file.write(bytes) != bytes.size() || !file.flush() ||
        (::fsync(file.handle()) != 0 && errno != EINVAL))
        return false;
    file.close();
    return file.error() == QFileDevice::NoError;
}

bool rewriteJournal(const QString& mailbox, const QList<Entry>& entries)
{
    QSaveFile file(mailbox + kJournal);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QString text;
    for (const Entry& e : entries)
        text += journalLine(e) + "\r\n";
    file.write(shell::ToCp949(text));
    return file.commit();
}

// A file handed to the link starts with the envelope header line; its file
// code and trading bank ID name the transmission. A file without one goes
// under its own name.
void describeSentFile(const QByteArray& bytes, const QString& name, Entry& e)
{
    e.infoName = name;
    const QString code = shell::EnvelopeFileCode(bytes.left(shell::kEnvelopeWidth));
    if (code.isEmpty())
        return;
    e.infoName = code;
    e.receiverId = shell::FromCp949(shell::MidBytes(bytes, 51, 10)).trimmed();
}

QByteArray sha256(const QByteArray& bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

// `bytes` written whole to `path` and on the disk, read back the same; a
// file that could not be is removed again.
bool writeWhole(const QString& path, const QByteArray& bytes)
{
    bool ok = false;
    {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            ok = file.write(bytes) == bytes.size() && file.flush() && ::fsync(file.handle()) == 0;
            file.close();
            ok = ok && file.error() == QFileDevice::NoError;
        }
    }
    if (ok) {
        QFile back(path);
        ok = back.open(QIODevice::ReadOnly) && back.size() == bytes.size() &&
             sha256(back.readAll()) == sha256(bytes);
    }
    if (!ok)
        QFile::remove(path);
    return ok;
}

// Files on their way into the outbox: written whole here first, so that the
// centre never finds a file cut short, and only renamed into the outbox
// once the journal holds it.
QString partialDir(const QString& mailbox)
{
    return mailbox + "Partial/";
}

// A file in the outbox or on its way there under this name.
QString freeBoxName(const QString& mailbox, const QString& name)
{
    const QString outbox = mailbox + "Outbox/";
    QString candidate = name;
    for (int n = 1; QFileInfo::exists(outbox + candidate) ||
                    QFileInfo::exists(partialDir(mailbox) + candidate);
         ++n)
        candidate = name + "." + QString::number(n);
    return candidate;
}

// A call cut off part way leaves files in Partial/: one the journal already
// notes as sent was delivered and goes on into the outbox; any other never
// was and goes.
bool finishPartial(const QString& mailbox)
{
    const QString partial = partialDir(mailbox);
    const QStringList names = QDir(partial).entryList(QDir::Files | QDir::Hidden);
    if (names.isEmpty())
        return true;
    QSet<QString> journaled;
    for (const Entry& e : readJournal(mailbox))
        if (e.direction == 'S')
            journaled.insert(e.boxName);
    const QString outbox = mailbox + "Outbox/";
    bool ok = QDir().mkpath(outbox);
    for (const QString& name : names) {
        if (journaled.contains(name) && !QFileInfo::exists(outbox + name))
            ok = QFile::rename(partial + name, outbox + name) && ok;
        else
            ok = QFile::remove(partial + name) && ok;
    }
    return ok;
}

// One file from the send folder into the outbox: read, written whole under
// Partial/, noted in the journal, renamed into the outbox, and only then
// removed from the send folder. A failure leaves nothing in the outbox and
// the file where it was.
bool deliver(const QString& mailbox, const QString& sendDir, const QString& name)
{
    QFile source(sendDir + name);
    if (!source.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = source.readAll();
    const qint64 size = source.size();
    source.close();
    if (bytes.size() != size)
        return false;
    Entry e;
    e.direction = 'S';
    e.size = size;
    describeSentFile(bytes, name, e);
    e.boxName = freeBoxName(mailbox, name);
    e.sendTime = shell::Now();
    const QString partial = partialDir(mailbox) + e.boxName;
    if (!QDir().mkpath(partialDir(mailbox)) || !writeWhole(partial, bytes))
        return false;
    if (!appendJournal(mailbox, e)) {
        QFile::remove(partial);
        return false;
    }
    if (!QFile::rename(partial, mailbox + "Outbox/" + e.boxName))
        return false; // noted and whole: the next call moves it on
    return QFile::remove(sendDir + name);
}

// `to` holds the bytes of `from` whole, or stays as it was.
bool replaceFile(const QString& from, const QString& to)
{
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = source.readAll();
    if (bytes.size() != source.size())
        return false;
    QSaveFile target(to);
    return target.open(QIODevice::WriteOnly) && target.write(bytes) == bytes.size() &&
           target.commit();
}

qint32 sendFiles(const Session& s)
{
    const QString sendDir = directory(s.settings.SendDir);
    if (sendDir.isEmpty())
        return kNoDirectory;
    const QString outbox = s.mailbox + "Outbox/";
    const QFileInfo sendInfo(sendDir);
    if (!sendInfo.isDir() || !sendInfo.isWritable() || !writableDir(outbox))
        return kFailed;
    if (!finishPartial(s.mailbox))
        return kFailed;
    const QStringList names = filesIn(sendDir);
    for (const QString& name : names)
        if (!deliver(s.mailbox, sendDir, name))
            return kFailed;
    return qint32(names.size());
}

// The last set stays in Received/ for a re-receive; a file of it goes
// only once the program has kept its copy (under `keptDir`), so that an
// answer whose receive was cut off is never lost.
qint32 receiveFiles(const Session& s, const QString& keptDir)
{
    const QString recvDir = directory(s.settings.RecvDir);
    if (recvDir.isEmpty())
        return kNoDirectory;
    const QString inbox = s.mailbox + "Inbox/";
    const QString kept = s.mailbox + "Received/";
    if (!writableDir(recvDir) || !writableDir(inbox) || !writableDir(kept))
        return kFailed;
    const QStringList names = filesIn(inbox);
    // A file of the last set that the program never kept is delivered
    // again; the others stay for a re-receive until a new set comes.
    int again = 0;
    for (const QString& old : filesIn(kept)) {
        if (shell::IsKept(kept + old, keptDir)) {
            if (!names.isEmpty() && !QFile::remove(kept + old))
                return kFailed;
            continue;
        }
        const QString shelved = names.contains(old) ? MailboxLink::FreeName(kept, old) : old;
        if ((shelved != old && !QFile::rename(kept + old, kept + shelved)) ||
            !replaceFile(kept + shelved, recvDir + shelved))
            return kFailed;
        ++again;
    }
    for (const QString& name : names) {
        const QFileInfo info(inbox + name);
        Entry e;
        e.direction = 'R';
        e.boxName = name;
        e.infoName = name;
        e.receiverId = s.settings.LoginID;
        e.sendTime = info.lastModified();
        e.receiveTime = shell::Now();
        e.fetchCount = 1;
        e.size = info.size();
        // The file leaves the inbox only once it is in both places.
        if (!replaceFile(inbox + name, recvDir + name) || !replaceFile(inbox + name, kept + name)
            || !QFile::remove(inbox + name) || !appendJournal(s.mailbox, e))
            return kFailed;
    }
    return qint32(names.size()) + again;
}

QString reportTime(const QDateTime& t)
{
    return t.isValid() ? t.toString("yyMMddHHmm") : QString(10, ' ');
}

// One line of RptEDI; the readers take the fields by character position.
QString reportLine(const Entry& e)
{
    QString line = QString(e.direction) + "  ";
    line += shell::PadText(e.infoName, 8, true);
    line += QString(9, ' ');
    line += shell::PadText(e.receiverId, 10, true) + ' ';
    line += reportTime(e.sendTime) + ' ';
    line += reportTime(e.receiveTime) + ' ';
    line += shell::PadText(QString::number(e.fetchCount), 5, false) + ' ';
    line += shell::PadText(QString::number(e.size), 12, false) + "  ";
    line += shell::FromCp949(shell::LeftBytes(shell::ToCp949(e.errorText), 256));
    return line;
}

} // namespace

QString MailboxLink::FreeName(const QString& dir, const QString& name)
{
    QString candidate = name;
    for (int n = 1; QFileInfo::exists(dir + candidate); ++n)
        candidate = name + "." + QString::number(n);
    return candidate;
}

QString MailboxLink::MailboxDir(const shell::TEdiConfig& settings, const QString& programDir)
{
    const QString dir = shell::WithBackslash(settings.MailboxDir);
    return dir.isEmpty() ? programDir + "Mailbox/" : dir;
}

qint32 MailboxLink::EnvSetup(const QString& key)
{
    if (key.compare(shell::LinkKey(), Qt::CaseInsensitive) != 0)
        return kRegistryError;
    if (!m_settingsDialog)
        return kFailed;
    shell::TEdiConfig settings;
    shell::ReadSettings(settings);
    if (!m_settingsDialog(settings))
        return 0;
    if (!shell::WriteSettings(settings))
        return kRegistryError;
    for (const QString& dir : {settings.SendDir, settings.RecvDir, settings.ResultDir})
        if (!directory(dir).isEmpty())
            QDir().mkpath(directory(dir));
    return 1;
}

qint32 MailboxLink::Send(const QString& key)
{
    const Session s = openSession(key, m_ws.programDir);
    return s.failure ? s.failure : sendFiles(s);
}

qint32 MailboxLink::Receive(const QString& key)
{
    const Session s = openSession(key, m_ws.programDir);
    return s.failure ? s.failure : receiveFiles(s, shell::KeptReceiveDir(m_ws));
}

qint32 MailboxLink::SendReceive(const QString& key, qint32& sendCode, qint32& receiveCode)
{
    Session s = openSession(key, m_ws.programDir);
    if (!s.failure && (directory(s.settings.SendDir).isEmpty()
                       || directory(s.settings.RecvDir).isEmpty()))
        s.failure = kNoDirectory;
    if (s.failure) {
        // The session never started; both parts carry its reason.
        sendCode = receiveCode = s.failure;
        return s.failure;
    }
    sendCode = sendFiles(s);
    receiveCode = receiveFiles(s, shell::KeptReceiveDir(m_ws));
    return sendCode < 0 && receiveCode < 0 ? sendCode : 1;
}

qint32 MailboxLink::ReReceive(const QString& key)
{
    const Session s = openSession(key, m_ws.programDir, &shell::TEdiConfig::RecvDir);
    if (s.failure)
        return s.failure;
    const QString& recvDir = s.folder;
    const QString kept = s.mailbox + "Received/";
    const QStringList names = filesIn(kept);
    for (const QString& name : names)
        if (!replaceFile(kept + name, recvDir + name))
            return kFailed;
    if (names.isEmpty())
        return 0;
    // Each file of the set was fetched once more: its newest receive entry counts it.
    QList<Entry> entries = readJournal(s.mailbox);
    for (const QString& name : names) {
        for (qsizetype i = entries.size() - 1; i >= 0; --i) {
            if (entries[i].direction == 'R' && entries[i].boxName == name) {
                ++entries[i].fetchCount;
                break;
            }
        }
    }
    if (!rewriteJournal(s.mailbox, entries))
        return kFailed;
    return qint32(names.size());
}

qint32 MailboxLink::ResultReceiveNoDlg(const QString& key)
{
    const Session s = openSession(key, m_ws.programDir, &shell::TEdiConfig::ResultDir);
    if (s.failure)
        return s.failure;
    const QString& resultDir = s.folder;
    // What the journal notes as sent is in the outbox before it is reported.
    if (!finishPartial(s.mailbox))
        return kFailed;
    const QList<Entry> entries = readJournal(s.mailbox);
    if (entries.isEmpty())
        return 0;
    QString text;
    for (qsizetype i = entries.size() - 1; i >= 0; --i) // newest first
        text += reportLine(entries[i]) + "\r\n";
    QSaveFile file(resultDir + kReport);
    if (!file.open(QIODevice::WriteOnly))
        return kFailed;
    file.write(shell::ToCp949(text));
    if (!file.commit())
        return kFailed;
    return qint32(entries.size());
}

bool MailboxLink::RecordFetch(const shell::TEdiConfig& settings, const QString& programDir,
                              const QString& outboxName, const QDateTime& when,
                              const QString& errorText)
{
    const QString mailbox = MailboxDir(settings, programDir);
    QList<Entry> entries = readJournal(mailbox);
    for (qsizetype i = entries.size() - 1; i >= 0; --i) {
        Entry& e = entries[i];
        if (e.direction != 'S' || e.boxName != outboxName)
            continue;
        if (!e.receiveTime.isValid())
            e.receiveTime = when;
        ++e.fetchCount;
        if (!errorText.isEmpty())
            e.errorText = errorText;
        return rewriteJournal(mailbox, entries);
    }
    return false;
}

} // namespace edi
