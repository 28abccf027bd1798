#include "consent/evidence_transfer.h"

#include "audit/record.h"

#include "consent/evidence_files.h"
#include "consent/evidence_rules.h"
#include "platform/ini_file.h"
#include "platform/securelink.h"
#include "shell/clock.h"
#include "shell/codec.h"
#include "shell/file_helpers.h"
#include "shell/log.h"
#include "shell/text_helpers.h"
#include "shell/ui.h"
#include "shell/wait_scope.h"
#include "shell/workspace.h"
#include "store/account_numbers.h"
#include "store/database.h"
#include "store/states.h"
#include "store/transaction_guard.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSqlError>
#include <QSqlQuery>

#include <optional>

#include <sys/stat.h>

namespace consent {
namespace {

constexpr int kBlock = 1024;

QByteArray text(const QString& value, int width)
{
    return shell::PadBytes(shell::ToCp949(value), width, true, ' ');
}

// A number wider than its field is never cut: the caller refuses the file.
std::optional<QByteArray> number(qint64 value, int width)
{
    return shell::NumberField(value, width);
}

QByteArray blanks(int width)
{
    return QByteArray(width, ' ');
}

// Writes `bytes` to `path` through a temporary name, so that a reader never
// sees half a file.
bool saveFile(const QString& path, const QByteArray& bytes)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write(bytes);
    return f.commit();
}

// Empties AUTHTEMP/ without messages: the caller stops silently.
bool emptyTemp(const QString& dir, const QString& home)
{
    if (!QDir().mkpath(dir) || shell::LeadsOutOf(dir, home))
        return false;
    const QDir d(dir);
    for (const QString& name : d.entryList(QDir::Files | QDir::Hidden))
        if (!QFile::remove(d.filePath(name)))
            return false;
    return true;
}

struct Group
{
    QString institution;
    QList<ConsentKey> consents;
};

const char* const kDone =
    "증빙 자료 전송이 완료 되었습니다.\r\n30분 후에 출금 동의 자료를 전송하여야\r\n출금 동의 "
    "자료와 "
    "증빙 자료 확인시 오류가 발생 하지 않습니다.\r\n전송하신 증빙자료는 7일 이내에 1회만 사용 "
    "가능합니다.";

} // namespace

QString SubmissionClass(const QString& authSendType)
{
    const QString t = authSendType.trimmed();
    if (t == QStringLiteral("일부면제"))
        return "1";
    if (t == QStringLiteral("면제"))
        return "2";
    return "0";
}

int EvidencePadding(qint64 n)
{
    if (n <= 624)
        return int(624 - n);
    return int((kBlock - ((n - 624) % kBlock)) % kBlock);
}

platform::Result<QByteArray> EvidenceTransferBytes(const QString& institution, const QDate& today,
                                                   const QString& sendId,
                                                   const QString& submissionClass,
                                                   const QList<EvidenceItem>& items)
{
    const QByteArray date = today.toString("yyyyMMdd").toLatin1();
    QString tooWide;
    const auto num = [&](qint64 value, int width) {
        const std::optional<QByteArray> field = number(value, width);
        if (!field && tooWide.isEmpty())
            tooWide = shell::TooWideNumberMessage(value, width);
        return field.value_or(QByteArray(width, '0'));
    };
    QByteArray out;
    out += "H";
    out += "FB0110";
    out += "VQZ";
    out += text(institution, 20);
    out += date;
    out += text(sendId.trimmed(), 30);
    out += "011";
    out += num(items.size(), 10);
    out += blanks(943);

    const bool withFiles = submissionClass == "0";
    int seq = 0;
    for (const EvidenceItem& item : items) {
        out += "D";
        out += num(++seq, 10);
        out += blanks(30);
        out += date;
        out += item.JuminNO.size() == 10 ? "1" : "0";
        out += text(item.JuminNO, 13);
        out += text(institution, 20);
        out += "N";
        out += blanks(10);
        out += text(store::StripHyphens(item.NapbuNO), 30);
        out += num(item.Bankcd.trimmed().toInt(), 3);
        out += text(store::StripHyphens(item.Bankno), 20);
        out += text(item.AUTHTYPE, 1);
        if (withFiles) {
            out += text(item.extension, 4);
            out += num(item.content.size(), 7);
        } else {
            out += blanks(4);
            out += "0000000";
        }
        out += blanks(241);
        const QByteArray content = withFiles ? item.content : QByteArray();
        out += content;
        out += blanks(EvidencePadding(content.size()));
        if (!tooWide.isEmpty())
            return platform::Fail(
                tooWide + "\r\n" +
                EvidenceConsentText({institution, item.Bankcd, item.Bankno, item.NapbuNO}));
    }
    out += "T";
    out += "FB0110";
    out += num(items.size(), 10);
    out += blanks(1007);
    if (!tooWide.isEmpty())
        return platform::Fail(tooWide);
    return out;
}

QString EvidenceTransferFileName(const QString& institution, const QDateTime& now)
{
    return "FB0110" + now.toString("MMddHHmmss") + "_" + institution.trimmed() + ".dat";
}

platform::Result<EvidenceAuthKey> ReadEvidenceAuthKey(QSqlDatabase db)
{
    QSqlQuery q(db);
    if (!q.exec(" select SendId, AuthKey  from EvidentialAuthKey "))
        return platform::Fail(store::ReadFailureMessage(q.lastError()));
    if (q.next())
        return EvidenceAuthKey{q.value(0).toString(), q.value(1).toString()};
    return EvidenceAuthKey{};
}

bool StoreEvidenceAuthKey(QSqlDatabase db, shell::Ui& ui, const EvidenceAuthKey& key)
{
    QSqlQuery count(db);
    if (!count.exec("SELECT COUNT(*) FROM EvidentialAuthKey") || !count.next()) {
        ui.ShowError(store::ReadFailureMessage(count.lastError()));
        return false;
    }
    QSqlQuery q(db);
    if (count.value(0).toInt() == 0)
        q.prepare("insert into EvidentialAuthKey(SendId, AuthKey)  values(:SendId, :AuthKey) ");
    else
        q.prepare("update EvidentialAuthKey set SendId = :SendId , AuthKey = :AuthKey ");
    q.bindValue(":SendId", key.SendId.trimmed().toUpper());
    q.bindValue(":AuthKey", key.AuthKey.trimmed().toUpper());
    if (!q.exec()) {
        ui.ShowError(store::ReadFailureMessage(q.lastError()));
        return false;
    }
    shell::WriteLog("증빙자료 암호화키 등록, SendId " + key.SendId.trimmed().toUpper());
    return true;
}

QString EvidenceServerAddress(const QString& firmIniPath)
{
    platform::IniFile ini(firmIniPath);
    (void)ini.load(); // refused at start when it is no settings file
    QString host = shell::FromCp949(ini.value("Site", "EvidenceHost")).trimmed();
    if (host.isEmpty())
        host = QString::fromLatin1(kDefaultEvidenceHost);
    return "https://" + host + ":8443/webapi";
}

bool WriteSecureClientConfig(const QString& programDir, const EvidenceAuthKey& key)
{
    const QString home = shell::WithBackslash(programDir);
    const QString conf = home + "conf/";
    const QString logDir = conf + "log";
    if (!QDir().mkpath(logDir))
        return false;
    const QString id = key.SendId.trimmed().toUpper();
    const QString secret = key.AuthKey.trimmed().toUpper();

    const QString kavol = conf + "Kavol.conf";
    if (!QFileInfo::exists(kavol)) {
        const QString url = EvidenceServerAddress(home + "Firm.ini");
        if (!saveFile(kavol, ("url=" + url + "\r\ntest_url=" + url + "\r\n").toLatin1()))
            return false;
    }

    const QString org = conf + "org.conf";
    QStringList lines;
    if (!QFileInfo::exists(org)) {
        lines << "timeout=60"
              << "log_level=3"
              << "auto_rollback=0"
              << "log_dir=" + QDir::toNativeSeparators(QFileInfo(logDir).absoluteFilePath())
              << "log_except="
              << "verify_cert=0"
              << "verify_host=0" << id + "=" + secret;
    } else {
        QFile f(org);
        if (!f.open(QIODevice::ReadOnly))
            return false;
        lines = shell::FromCp949(f.readAll()).split('\n');
        for (QString& l : lines)
            if (l.endsWith('\r'))
                l.chop(1);
        while (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        bool found = false;
        for (QString& l : lines) {
            if (l.section('=', 0, 0) == id) {
                found = true;
                if (l.section('=', 1) == secret)
                    return true;
                l = id + "=" + secret;
            }
        }
        if (!found)
            lines << id + "=" + secret;
    }
    return saveFile(org, shell::ToCp949(lines.join("\r\n") + "\r\n"));
}

QString DefaultSecurelinkPath(const shell::Workspace& ws)
{
    const QString own = ws.programDir + platform::kSecurelinkFileName;
    return QFileInfo::exists(own) ? own : ws.shippedDir + platform::kSecurelinkFileName;
}

namespace {

// What must be there before anything is built: a selection, an empty
// AUTHTEMP/, the stored key and the secure client with its two
// configuration files. Shows the first thing missing; the key otherwise.
std::optional<EvidenceAuthKey> checkReadyToSend(QSqlDatabase db, shell::Ui& ui,
                                                const EvidenceSendRun& run,
                                                const QList<ConsentKey>& selected)
{
    if (selected.isEmpty()) {
        ui.ShowPlain(
            QStringLiteral("키보드(Shift)+방향키, 마우스+키보드(CTRL)키를 이용하여 선택하세요"));
        return std::nullopt;
    }
    const QString home = shell::WithBackslash(run.programDir);
    if (!emptyTemp(home + "AUTHTEMP/", home))
        return std::nullopt;
    const platform::Result<EvidenceAuthKey> read = ReadEvidenceAuthKey(db);
    if (!read) {
        ui.ShowError(read.error());
        return std::nullopt;
    }
    const EvidenceAuthKey& key = *read;
    if (key.AuthKey.trimmed().isEmpty()) {
        ui.ShowInfo(
            QStringLiteral("기관의 증빙키가 등록 되어 있지 않습니다.\r\n환경설정에서 증빙키를 "
                           "입력하여 주시기 바랍니다."));
        return std::nullopt;
    }
    if (!QFileInfo(run.libraryPath).isFile()) {
        ui.ShowInfo(
            QStringLiteral("송신 관련 Securelink.dll 파일이 존재 하지 않습니다.\r\n고객센터에 "
                           "문의하십시오."));
        return std::nullopt;
    }
    if (!QFileInfo(home + "conf/Kavol.conf").isFile()) {
        ui.ShowInfo(
            QStringLiteral("송신 관련 Kavol.conf 파일이 정상 생성 되지 않았습니다.\r\n환경설정에서 "
                           "증빙자료 암호화키 등록을 확인해 주시기 바랍니다."));
        return std::nullopt;
    }
    if (!QFileInfo(home + "conf/org.conf").isFile()) {
        ui.ShowInfo(
            QStringLiteral("송신 관련 org.conf 파일이 정상 생성 되지 않았습니다.\r\n환경설정에서 "
                           "증빙자료 암호화키 등록을 확인해 주시기 바랍니다."));
        return std::nullopt;
    }
    return key;
}

// The selection by institution, each in the order it was first selected.
QList<Group> groupByInstitution(const QList<ConsentKey>& selected)
{
    QList<Group> groups;
    for (const ConsentKey& k : selected) {
        auto it = std::find_if(groups.begin(), groups.end(),
                               [&k](const Group& g) { return g.institution == k.Giganid; });
        if (it == groups.end())
            groups.append({k.Giganid, {k}});
        else
            it->consents.append(k);
    }
    return groups;
}

// The file a stored evidence name stands for, or why it may not be sent:
// only a regular file that lies in AUTHFILE/ once links are resolved, read
// through the descriptor that was checked.
platform::Result<QByteArray> readEvidenceFile(const QString& fileDir, const QString& name)
{
    const QString missing =
        QStringLiteral("파일이 존재하지 않는 자료가 확인 되었습니다.\r\n증빙 자료 파일 관리에서 "
                       "확인하여 다시 등록하여 주시기 바랍니다.");
    if (!IsAuthFileName(name)) {
        if (!name.isEmpty())
            shell::WriteLog("증빙파일 이름 거부, " + name, true);
        return platform::Fail(missing);
    }
    const QString path = fileDir + name;
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
        return platform::Fail(missing);
    const QString refused =
        path + "\r\n" +
        QStringLiteral("증빙 폴더(AUTHFILE) 안의 일반 파일이 아니어서 증빙 파일로 보낼 수 "
                       "없습니다.\r\n증빙 자료 파일 관리에서 확인하여 다시 등록하여 주시기 "
                       "바랍니다.");
    const QString real = QFileInfo(path).canonicalFilePath();
    const QString folder = QFileInfo(fileDir).canonicalFilePath();
    if (real.isEmpty() || folder.isEmpty() || QFileInfo(real).absolutePath() != folder) {
        shell::WriteLog("증빙파일 거부, 폴더 밖, " + path + " -> " + real, true);
        return platform::Fail(refused);
    }
    QFile f(real);
    struct stat st = {};
    if (!f.open(QIODevice::ReadOnly) || fstat(f.handle(), &st) != 0 || !S_ISREG(st.st_mode)) {
        shell::WriteLog("증빙파일 거부, 일반 파일 아님, " + path, true);
        return platform::Fail(refused);
    }
    return f.readAll();
}

// One consent's data record; with its file's content for class "0". Shows
// why a consent cannot go (no evidence kind, no file, a file that breaks the
// attach's rules or is no regular file of AUTHFILE/).
std::optional<EvidenceItem> evidenceItem(QSqlDatabase db, shell::Ui& ui, const ConsentKey& k,
                                         const QString& submission, const QString& fileDir)
{
    QSqlQuery e(db);
    e.prepare(QString("select AUTHTYPE, AUTHFILE from EVIDENTIAL where") + kEvidenceKeyMatch);
    BindEvidenceKey(e, k);
    const bool found = e.exec() && e.next();
    const QString kindCode = found ? e.value(0).toString().trimmed() : QString();
    const QString file = found ? e.value(1).toString().trimmed() : QString();
    const EvidenceKind* kind = EvidenceKindByCode(kindCode);
    if (kindCode.isEmpty() || !kind) {
        ui.ShowInfo(QStringLiteral("증빙 파일 종류가 선택이 안된 자료가 확인 되었습니다.\r\n증빙 "
                                   "자료 파일 관리에서 확인하여 다시 등록하여 주시기 바랍니다."));
        return std::nullopt;
    }
    EvidenceItem item;
    item.AUTHTYPE = kindCode;
    item.NapbuNO = k.NapbuNO;
    item.Bankcd = k.Bankcd;
    item.Bankno = k.Bankno;
    QSqlQuery c(db);
    c.prepare("SELECT JuminNO FROM TongRegister WHERE Giganid = :g AND Bankcd = :b AND "
              "Bankno = :n AND NapbuNO = :p");
    c.bindValue(":g", k.Giganid);
    c.bindValue(":b", k.Bankcd);
    c.bindValue(":n", k.Bankno);
    c.bindValue(":p", k.NapbuNO);
    if (c.exec() && c.next())
        item.JuminNO = c.value(0).toString();
    if (submission == "0") {
        platform::Result<QByteArray> content = readEvidenceFile(fileDir, file);
        if (!content) {
            ui.ShowInfo(content.error());
            return std::nullopt;
        }
        // The attach's rules again: the file may have changed since.
        if (const platform::Result<> fits = CheckEvidenceFile(*kind, file, content->size());
            !fits) {
            shell::WriteLog("증빙파일 거부, " + file + ", " + fits.error(), true);
            ui.ShowInfo(EvidenceConsentText(k) + "\r\n" + fileDir + file + "\r\n" + fits.error());
            return std::nullopt;
        }
        item.content = std::move(*content);
        item.extension = QFileInfo(file).suffix();
    }
    return item;
}

// A transfer file written into AUTHTEMP/ and the consents it carries.
struct TransferFile
{
    QString path;
    QList<ConsentKey> consents;
};

// One transfer file per institution that is not exempt (an exempt one is
// said and passed over). Shows why when one cannot be built.
std::optional<QList<TransferFile>> buildTransferFiles(QSqlDatabase db, shell::Ui& ui,
                                                      const QList<Group>& groups,
                                                      const EvidenceAuthKey& key,
                                                      const QDateTime& now, const QString& home)
{
    QList<TransferFile> out;
    for (const Group& g : groups) {
        QSqlQuery cls(db);
        cls.prepare("select AUTHSENDTYPE from USERCODE where apid10 = :CorCode1 ");
        cls.bindValue(":CorCode1", g.institution);
        const QString submission =
            SubmissionClass(cls.exec() && cls.next() ? cls.value(0).toString() : QString());
        if (submission == "2") {
            ui.ShowInfo(g.institution +
                        " 기관코드는 증빙자료 면제 업체로 등록되어 있어 전송하지 않고 넘어갑니다.");
            ui.ShowWaitMessage(QStringLiteral("증빙자료 전송 중 입니다."));
            continue;
        }
        QList<EvidenceItem> items;
        for (const ConsentKey& k : g.consents) {
            std::optional<EvidenceItem> item =
                evidenceItem(db, ui, k, submission, home + "AUTHFILE/");
            if (!item)
                return std::nullopt;
            items.append(std::move(*item));
        }
        const platform::Result<QByteArray> bytes =
            EvidenceTransferBytes(g.institution, now.date(), key.SendId, submission, items);
        if (!bytes) {
            shell::WriteLog("증빙자료 전송 파일 거부, " + bytes.error(), true);
            ui.ShowInfo(bytes.error());
            return std::nullopt;
        }
        const QString path = home + "AUTHTEMP/" + EvidenceTransferFileName(g.institution, now);
        if (!saveFile(path, *bytes)) {
            ui.ShowInfo(QStringLiteral("파일을 저장하는 중 오류가 발생 하였습니다."));
            return std::nullopt;
        }
        out.append({path, g.consents});
    }
    return out;
}

// Writes down, before the secure client is called, which consents a file
// carries, so that a crash during the upload leaves a trace of it.
bool openUpload(QSqlDatabase db, shell::Ui& ui, const TransferFile& file, const QDateTime& now)
{
    store::TransactionGuard guard(db);
    QSqlQuery q(db);
    q.prepare("INSERT OR REPLACE INTO EvidenceUpload (FILENAME, BANKCD, CUSTNO, CMSSERIALNO, "
              "ACCTNO, STARTED) VALUES (:f, :eb, :ec, :ep, :ea, :t)");
    for (const ConsentKey& k : file.consents) {
        q.bindValue(":f", QFileInfo(file.path).fileName());
        BindEvidenceKey(q, k);
        q.bindValue(":t", now.toString("yyyy-MM-dd HH:mm:ss"));
        if (!q.exec()) {
            ui.ShowError(store::WriteErrorMessage(q.lastError()));
            return false;
        }
    }
    if (!guard.commit()) {
        ui.ShowError(store::WriteErrorMessage(guard.error()));
        return false;
    }
    return true;
}

// Closes the trace of a file's upload; when the client took it, its
// consents' evidence is marked sent on `day` in the same transaction.
bool closeUpload(QSqlDatabase db, shell::Ui& ui, const TransferFile& file, bool delivered,
                 const QDate& day)
{
    store::TransactionGuard guard(db);
    // The file is one row of the record, not one per consent.
    std::optional<audit::Quiet> quiet(std::in_place);
    QSqlQuery u(db);
    u.prepare(QString("Update EVIDENTIAL   set SENDDATE = :d, SENDSTATE = :s where") +
              kEvidenceKeyMatch);
    QSqlQuery done(db);
    done.prepare(QString("DELETE FROM EvidenceUpload WHERE FILENAME = :f AND") + kEvidenceKeyMatch);
    for (const ConsentKey& k : file.consents) {
        if (delivered) {
            u.bindValue(":d", day.toString("yyyyMMdd"));
            u.bindValue(":s", store::StoredValue(store::EvidenceSendState::Sent));
            BindEvidenceKey(u, k);
            if (!u.exec()) {
                ui.ShowError(store::WriteErrorMessage(u.lastError()));
                return false;
            }
        }
        done.bindValue(":f", QFileInfo(file.path).fileName());
        BindEvidenceKey(done, k);
        if (!done.exec()) {
            ui.ShowError(store::WriteErrorMessage(done.lastError()));
            return false;
        }
    }
    quiet.reset();
    if (delivered) {
        const audit::Change change{
            audit::action::Send, QStringLiteral("Evidential"), QFileInfo(file.path).fileName(),
            file.consents.isEmpty() ? QString() : file.consents.first().Giganid, QString(),
            QVariant(), QString("증빙자료 %1건").arg(file.consents.size())};
        if (const platform::Result<> recorded = audit::Record(db, change); !recorded) {
            ui.ShowError(recorded.error());
            return false;
        }
    }
    if (!guard.commit()) {
        ui.ShowError(store::WriteErrorMessage(guard.error()));
        return false;
    }
    return true;
}

// Hands each file to the secure client and records each delivered file at
// once, so that a later refusal does not forget what already arrived.
// Stops at the first refusal.
bool uploadFiles(QSqlDatabase db, shell::Ui& ui, platform::SecureUploader& uploader,
                 const QString& home, const EvidenceAuthKey& key, const QList<TransferFile>& files,
                 const QDateTime& now)
{
    for (const TransferFile& file : files) {
        const QString name = QFileInfo(file.path).fileName();
        if (!openUpload(db, ui, file, now))
            return false;
        const QString code = uploader.Upload(home, key.SendId.trimmed(), file.path);
        const bool delivered = code == "0000";
        if (!closeUpload(db, ui, file, delivered, now.date())) {
            shell::WriteLog("증빙자료 전송 기록 실패, " + name + ", 결과 " + code, true);
            return false;
        }
        if (!delivered) {
            shell::WriteLog("증빙자료 전송 실패, " + name + ", 결과 " + code, true);
            ui.ShowInfo(
                QStringLiteral("증빙자료 전송에 실패 하였습니다.\r\n고객센터에 문의하십시오."));
            return false;
        }
        shell::WriteLog("증빙자료 전송, " + name);
    }
    return true;
}

// The consents left to send: evidence already sent and not used within
// the seven days needs no second upload, and the consents of an upload that
// a crash left unresolved go again only when the user says so (the bank may
// hold them already). Says what it leaves out; nullopt on a table error.
std::optional<QList<ConsentKey>> stillToSend(QSqlDatabase db, shell::Ui& ui,
                                             const QList<ConsentKey>& selected, const QDate& today)
{
    QSqlQuery open(db);
    open.prepare(QString("SELECT FILENAME, STARTED FROM EvidenceUpload WHERE") + kEvidenceKeyMatch);
    EvidenceCheck check(db, today);
    QList<ConsentKey> out;
    QStringList sent;
    QStringList unknown;
    QList<ConsentKey> unresolved;
    for (const ConsentKey& k : selected) {
        BindEvidenceKey(open, k);
        if (!open.exec()) {
            ui.ShowError(store::WriteErrorMessage(open.lastError()));
            return std::nullopt;
        }
        if (open.next()) {
            unknown.append(EvidenceConsentText(k) + " (" + open.value(0).toString() + ", " +
                           open.value(1).toString() + ")");
            unresolved.append(k);
            open.finish();
            continue;
        }
        const platform::Result<bool> exempt = check.Exempt(k.Giganid);
        const platform::Result<bool> ready = check.Ready(k);
        if (!exempt || !ready) {
            ui.ShowError(exempt ? ready.error() : exempt.error());
            return std::nullopt;
        }
        if (!*exempt && *ready)
            sent.append(EvidenceConsentText(k));
        else
            out.append(k);
    }
    if (!sent.isEmpty()) {
        for (const QString& s : sent)
            shell::WriteLog("증빙자료 전송 생략, 전송 후 미사용, " + s);
        ui.ShowInfo(QStringLiteral("7일 이내에 전송되어 아직 사용되지 않은 증빙 자료는 다시 "
                                   "전송하지 않습니다.\r\n") +
                    sent.join("\r\n"));
    }
    if (!unknown.isEmpty()) {
        const bool again = ui.Confirm(
            QStringLiteral("앞선 증빙자료 전송이 중단되어 아래 자료가 전달되었는지 알 수 "
                           "없습니다.\r\n") +
                unknown.join("\r\n") +
                QStringLiteral("\r\n다시 전송하시겠습니까? (아니오: 이번 전송에서 제외)"),
            false);
        for (const QString& u : unknown)
            shell::WriteLog(QString("증빙자료 전송 결과 모름, ") +
                            (again ? "다시 전송, " : "제외, ") + u);
        if (again)
            out += unresolved;
    }
    return out;
}

} // namespace

bool SendEvidence(QSqlDatabase db, shell::Ui& ui, platform::SecureUploader& uploader,
                  const EvidenceSendRun& run, const QList<ConsentKey>& selected)
{
    const std::optional<EvidenceAuthKey> key = checkReadyToSend(db, ui, run, selected);
    if (!key)
        return false;
    const QString home = shell::WithBackslash(run.programDir);
    shell::WaitScope wait(ui, QStringLiteral("증빙자료 전송 중 입니다."));
    const QDateTime now = shell::Now();
    const std::optional<QList<ConsentKey>> toSend = stillToSend(db, ui, selected, now.date());
    if (!toSend)
        return false;
    if (toSend->isEmpty()) {
        ui.ShowInfo(QStringLiteral("전송할 증빙 자료가 없습니다."));
        return true;
    }
    const std::optional<QList<TransferFile>> files =
        buildTransferFiles(db, ui, groupByInstitution(*toSend), *key, now, home);
    if (!files || !uploadFiles(db, ui, uploader, home, *key, *files, now))
        return false;
    ui.ShowInfo(QString::fromUtf8(kDone));
    return true;
}

} // namespace consent
