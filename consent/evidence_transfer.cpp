#include "consent/evidence_transfer.h"

#include "consent/evidence_files.h"
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
#include "store/states.h"
#include "store/transaction_guard.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSqlError>
#include <QSqlQuery>

#include <optional>

namespace consent {
namespace {

constexpr int kBlock = 1024;

QByteArray text(const QString& value, int width)
{
    return shell::PadBytes(shell::ToCp949(value), width, true, ' ');
}

QByteArray number(qint64 value, int width)
{
    return shell::PadBytes(QByteArray::number(value), width, false, '0');
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

// The evidence record of a consent: payer number and account compared
// without hyphens on both sides, as records keep them as entered.
const char* const kEvidenceMatch = " where BANKCD = :b and CUSTNO = :c"
                                   "   and replace(CMSSerialNo, '-', '') = :p"
                                   "   and replace(ACCTNO, '-', '') = :a";

void bindEvidence(QSqlQuery& q, const ConsentKey& k)
{
    q.bindValue(":b", k.Bankcd.trimmed());
    q.bindValue(":c", k.Giganid.trimmed());
    q.bindValue(":p", store::StripHyphens(k.NapbuNO.trimmed()));
    q.bindValue(":a", store::StripHyphens(k.Bankno.trimmed()));
}

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

QByteArray EvidenceTransferBytes(const QString& institution, const QDate& today,
                                 const QString& sendId, const QString& submissionClass,
                                 const QList<EvidenceItem>& items)
{
    const QByteArray date = today.toString("yyyyMMdd").toLatin1();
    QByteArray out;
    out += "H";
    out += "FB0110";
    out += "VQZ";
    out += text(institution, 20);
    out += date;
    out += text(sendId.trimmed(), 30);
    out += "011";
    out += number(items.size(), 10);
    out += blanks(943);

    const bool withFiles = submissionClass == "0";
    int seq = 0;
    for (const EvidenceItem& item : items) {
        out += "D";
        out += number(++seq, 10);
        out += blanks(30);
        out += date;
        out += item.JuminNO.size() == 10 ? "1" : "0";
        out += text(item.JuminNO, 13);
        out += text(institution, 20);
        out += "N";
        out += blanks(10);
        out += text(store::StripHyphens(item.NapbuNO), 30);
        out += number(item.Bankcd.trimmed().toInt(), 3);
        out += text(store::StripHyphens(item.Bankno), 20);
        out += text(item.AUTHTYPE, 1);
        if (withFiles) {
            out += text(item.extension, 4);
            out += number(item.content.size(), 7);
        } else {
            out += blanks(4);
            out += "0000000";
        }
        out += blanks(241);
        const QByteArray content = withFiles ? item.content : QByteArray();
        out += content;
        out += blanks(EvidencePadding(content.size()));
    }
    out += "T";
    out += "FB0110";
    out += number(items.size(), 10);
    out += blanks(1007);
    return out;
}

QString EvidenceTransferFileName(const QString& institution, const QDateTime& now)
{
    return "FB0110" + now.toString("MMddHHmmss") + "_" + institution.trimmed() + ".dat";
}

EvidenceAuthKey ReadEvidenceAuthKey(QSqlDatabase db)
{
    QSqlQuery q(db);
    if (q.exec(" select SendId, AuthKey  from EvidentialAuthKey ") && q.next())
        return {q.value(0).toString(), q.value(1).toString()};
    return {};
}

bool StoreEvidenceAuthKey(QSqlDatabase db, shell::Ui& ui, const EvidenceAuthKey& key)
{
    QSqlQuery count(db);
    if (!count.exec("SELECT COUNT(*) FROM EvidentialAuthKey") || !count.next()) {
        ui.ShowError(count.lastError().text());
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
        ui.ShowError(q.lastError().text());
        return false;
    }
    shell::WriteLog("증빙자료 암호화키 등록, SendId " + key.SendId.trimmed().toUpper());
    return true;
}

QString EvidenceServerAddress(const QString& firmIniPath)
{
    platform::IniFile ini(firmIniPath);
    ini.load();
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
    const EvidenceAuthKey key = ReadEvidenceAuthKey(db);
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

// One consent's data record; with its file's content for class "0". Shows
// why a consent cannot go (no evidence kind, no readable file).
std::optional<EvidenceItem> evidenceItem(QSqlDatabase db, shell::Ui& ui, const ConsentKey& k,
                                         const QString& submission, const QString& fileDir)
{
    QSqlQuery e(db);
    e.prepare(QString("select AUTHTYPE, AUTHFILE from EVIDENTIAL") + kEvidenceMatch);
    bindEvidence(e, k);
    const bool found = e.exec() && e.next();
    const QString kind = found ? e.value(0).toString().trimmed() : QString();
    const QString file = found ? e.value(1).toString().trimmed() : QString();
    if (kind.isEmpty()) {
        ui.ShowInfo(QStringLiteral("증빙 파일 종류가 선택이 안된 자료가 확인 되었습니다.\r\n증빙 "
                                   "자료 파일 관리에서 확인하여 다시 등록하여 주시기 바랍니다."));
        return std::nullopt;
    }
    EvidenceItem item;
    item.AUTHTYPE = kind;
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
        // A stored name that leads out of AUTHFILE/ is no file of ours.
        const bool named = IsAuthFileName(file);
        if (!file.isEmpty() && !named)
            shell::WriteLog("증빙파일 이름 거부, " + file, true);
        QFile f(fileDir + file);
        if (!named || !f.open(QIODevice::ReadOnly)) {
            ui.ShowInfo(QStringLiteral("파일이 존재하지 않는 자료가 확인 되었습니다.\r\n증빙 자료 "
                                       "파일 관리에서 확인하여 다시 등록하여 주시기 바랍니다."));
            return std::nullopt;
        }
        item.content = f.readAll();
        item.extension = QFileInfo(file).suffix();
    }
    return item;
}

// The transfer files written into AUTHTEMP/ and the consents they carry.
struct TransferFiles
{
    QStringList paths;
    QList<ConsentKey> written;
};

// One transfer file per institution that is not exempt (an exempt one is
// said and passed over). Shows why when one cannot be built.
std::optional<TransferFiles> buildTransferFiles(QSqlDatabase db, shell::Ui& ui,
                                                const QList<Group>& groups,
                                                const EvidenceAuthKey& key, const QDateTime& now,
                                                const QString& home)
{
    TransferFiles out;
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
        const QString path = home + "AUTHTEMP/" + EvidenceTransferFileName(g.institution, now);
        if (!saveFile(path, EvidenceTransferBytes(g.institution, now.date(), key.SendId, submission,
                                                  items))) {
            ui.ShowInfo(QStringLiteral("파일을 저장하는 중 오류가 발생 하였습니다."));
            return std::nullopt;
        }
        out.paths.append(path);
        out.written.append(g.consents);
    }
    return out;
}

// Hands each file to the secure client; stops at the first refusal.
bool uploadFiles(shell::Ui& ui, platform::SecureUploader& uploader, const QString& home,
                 const EvidenceAuthKey& key, const QStringList& paths)
{
    for (const QString& path : paths) {
        const QString code = uploader.Upload(home, key.SendId.trimmed(), path);
        if (code != "0000") {
            shell::WriteLog("증빙자료 전송 실패, " + QFileInfo(path).fileName() + ", 결과 " + code,
                            true);
            ui.ShowInfo(
                QStringLiteral("증빙자료 전송에 실패 하였습니다.\r\n고객센터에 문의하십시오."));
            return false;
        }
        shell::WriteLog("증빙자료 전송, " + QFileInfo(path).fileName());
    }
    return true;
}

// Marks the evidence of `written` sent on `day`, all or none.
bool recordSent(QSqlDatabase db, shell::Ui& ui, const QList<ConsentKey>& written, const QDate& day)
{
    if (written.isEmpty())
        return true;
    store::TransactionGuard guard(db);
    QSqlQuery u(db);
    u.prepare(QString("Update EVIDENTIAL   set SENDDATE = :d, SENDSTATE = :s ") + kEvidenceMatch);
    for (const ConsentKey& k : written) {
        u.bindValue(":d", day.toString("yyyyMMdd"));
        u.bindValue(":s", store::StoredValue(store::EvidenceSendState::Sent));
        bindEvidence(u, k);
        if (!u.exec()) {
            ui.ShowError(u.lastError().text());
            return false;
        }
    }
    if (!guard.commit()) {
        ui.ShowError(db.lastError().text());
        return false;
    }
    return true;
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
    const std::optional<TransferFiles> files =
        buildTransferFiles(db, ui, groupByInstitution(selected), *key, now, home);
    if (!files || !uploadFiles(ui, uploader, home, *key, files->paths) ||
        !recordSent(db, ui, files->written, now.date()))
        return false;
    ui.ShowInfo(QString::fromUtf8(kDone));
    return true;
}

} // namespace consent
