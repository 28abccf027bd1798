#include "consent/evidence_files.h"

#include "consent/evidence_rules.h"
#include "shell/clock.h"
#include "shell/file_helpers.h"
#include "shell/log.h"
#include "shell/replace_file.h"
#include "shell/ui.h"
#include "shell/workspace.h"
#include "store/account_numbers.h"
#include "store/database.h"
#include "store/states.h"
#include "store/transaction_guard.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>

namespace consent {

QStringList EvidenceExtensions(const EvidenceKind& kind)
{
    QStringList out;
    const QString patterns = kind.filter.section('|', 1);
    for (const QString& p : patterns.split(';', Qt::SkipEmptyParts)) {
        if (p == "*.*")
            return {};
        out.append(p.mid(2).toLower());
    }
    return out;
}

const QList<EvidenceKind>& EvidenceKinds()
{
    static const QList<EvidenceKind> kinds = {
        {"1", "서면", 307200, "서면파일|*.jpg;*.jpeg;*.gif;*.tif"},
        {"2", "공인인증", 5120, "공인인증파일|*.der"},
        {"3", "일반인증", 307200, "일반인증파일|*.jpg;*.jpeg;*.gif;*.tif"},
        {"4", "녹취", 307200, "녹취파일|*.mp3;*.wav;*.wma"},
        {"5", "ARS", 307200, "ARS파일|*.mp3;*.wav;*.wma"},
        {"6", "기타전자문서", 307200, "기타전자문서파일|*.*"},
    };
    return kinds;
}

const EvidenceKind* EvidenceKindByCode(const QString& code)
{
    for (const EvidenceKind& k : EvidenceKinds())
        if (k.code == code.trimmed())
            return &k;
    return nullptr;
}

const EvidenceKind* EvidenceKindByName(const QString& name)
{
    for (const EvidenceKind& k : EvidenceKinds())
        if (k.name == name)
            return &k;
    return nullptr;
}

QString QtFilter(const EvidenceKind& kind)
{
    return kind.filter.section('|', 0, 0) + " (" + kind.filter.section('|', 1).replace(';', ' ') +
           ")";
}

QString AuthFileDir(const shell::Workspace& ws)
{
    return ws.programDir + "AUTHFILE/";
}

QString AuthTempDir(const shell::Workspace& ws)
{
    return ws.programDir + "AUTHTEMP/";
}

QString SendStateText(const QString& sendState, const QString& sendDate, const QDateTime& now)
{
    const std::optional<store::EvidenceSendState> state =
        store::EvidenceSendStateFrom(sendState.trimmed());
    if (state == store::EvidenceSendState::NotSent)
        return store::EvidenceSendStateText(*state);
    QString text = state ? store::EvidenceSendStateText(*state) : QString();
    const QDate sent = QDate::fromString(sendDate.trimmed(), "yyyyMMdd");
    if (!sent.isValid() || now.addDays(-7) > QDateTime(sent, QTime(0, 0)))
        text = store::EvidenceSendStateText(store::EvidenceSendState::NotSent);
    return text;
}

bool IsAuthFileName(const QString& name)
{
    return !name.isEmpty() && !QDir::isAbsolutePath(name) && !name.contains('/') &&
           !name.contains('\\') && !name.contains("..") && !name.contains(QChar(0));
}

QString AuthFileNamePart(const QString& text)
{
    QString out = text;
    for (QChar& c : out)
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
              c == '-' || c == '_'))
            c = '_';
    return out;
}

QString FileCheckText(const shell::Workspace& ws, const QString& authFile)
{
    const QString name = authFile.trimmed();
    if (name.isEmpty())
        return {};
    return IsAuthFileName(name) && QFileInfo(AuthFileDir(ws) + name).isFile()
               ? QStringLiteral("파일정상")
               : QStringLiteral("파일없음");
}

EvidenceFiles::EvidenceFiles(QSqlDatabase db, shell::Ui& ui, const shell::Workspace& ws)
    : m_db(std::move(db)), m_ui(ui), m_ws(ws)
{
}

bool EvidenceFiles::Open()
{
    for (const QString& dir : {AuthTempDir(m_ws), AuthFileDir(m_ws)}) {
        if (!QDir().mkpath(dir)) {
            m_ui.ShowError(dir + "\r" + QStringLiteral("폴더를 만들 수 없습니다."));
            return false;
        }
    }
    return shell::DeleteAllFiles(m_ui, AuthTempDir(m_ws), m_ws.programDir);
}

QList<EvidenceRow> EvidenceFiles::Query(const QString& institution, EvidenceFilter filter,
                                        EvidenceSearch search, const QString& text) const
{
    QString sql =
        " select T.NAME, T.Giganid, T.Bankcd, B.NAME BANKNAME, T.Bankno, T.NapbuNo, T.JuminNo, "
        "E.AUTHTYPE, E.AUTHFILE, E.SENDDATE, E.SENDSTATE, E.BANKCD "
        " from BANKCODE B, TongRegister T LEFT JOIN EVIDENTIAL E "
        " ON trim(T.Bankcd) = E.BANKCD and trim(T.Giganid) = E.CUSTNO "
        " and trim(T.NapbuNo) = E.CMSSERIALNO and trim(T.Bankno) = E.ACCTNO "
        " where T.Bankcd = B.ID ";
    if (!institution.isEmpty())
        sql += " and T.Giganid = :Giganid ";
    if (filter == EvidenceFilter::WithoutFile)
        sql += " and (E.AUTHFILE = '' or E.AUTHFILE is null ) ";
    else if (filter == EvidenceFilter::WithFile)
        sql += " and (E.AUTHFILE <> '' and E.AUTHFILE is not null ) ";
    const QString needle = text.trimmed();
    if (!needle.isEmpty()) {
        switch (search) {
        case EvidenceSearch::Name:
            sql += " and T.NAME like :text ";
            break;
        case EvidenceSearch::Payer:
            sql += " and T.NapbuNo like :text ";
            break;
        case EvidenceSearch::Account:
            sql += " and T.Bankno like :text ";
            break;
        }
    }
    sql += " order by T.rowid";
    QSqlQuery q(m_db);
    q.prepare(sql);
    if (!institution.isEmpty())
        q.bindValue(":Giganid", institution);
    if (!needle.isEmpty())
        q.bindValue(":text", "%" + needle + "%");
    QList<EvidenceRow> rows;
    if (!q.exec()) {
        m_ui.ShowError(store::ReadFailureMessage(q.lastError()));
        return rows;
    }
    while (q.next()) {
        EvidenceRow r;
        r.NAME = q.value(0).toString();
        r.Giganid = q.value(1).toString();
        r.Bankcd = q.value(2).toString();
        r.BankName = q.value(3).toString();
        r.Bankno = q.value(4).toString();
        r.NapbuNo = q.value(5).toString();
        r.JuminNo = q.value(6).toString();
        r.AUTHTYPE = q.value(7).toString();
        r.AUTHFILE = q.value(8).toString();
        r.SENDDATE = q.value(9).toString();
        r.SENDSTATE = q.value(10).toString();
        r.hasRecord = !q.value(11).isNull();
        rows.append(r);
    }
    return rows;
}

QString EvidenceFiles::storedName(const QList<EvidenceRow>& rows, int index,
                                  const QString& suffix) const
{
    const EvidenceRow& row = rows[index];
    // Names that belong to someone else: other records, and the files other
    // rows have chosen on this screen. An apartment's payer number is its
    // unit, so a new resident must not take the previous one's file name.
    QSet<QString> taken;
    QSqlQuery q(m_db);
    q.prepare(QString("SELECT AUTHFILE FROM EVIDENTIAL WHERE AUTHFILE <> '' AND NOT (") +
              kEvidenceKeyMatch + ")");
    BindEvidenceKey(q, row.key());
    if (q.exec())
        while (q.next())
            taken.insert(q.value(0).toString().trimmed().toLower());
    for (int i = 0; i < rows.size(); ++i)
        if (i != index && !rows[i].AUTHFILE.isEmpty())
            taken.insert(rows[i].AUTHFILE.trimmed().toLower());

    const QString base =
        AuthFileNamePart(row.Giganid.trimmed()) + "_" + AuthFileNamePart(row.NapbuNo.trimmed());
    QString name = base + suffix;
    for (int n = 2; taken.contains(name.toLower()); ++n)
        name = base + "_" + QString::number(n) + suffix;
    return name;
}

bool EvidenceFiles::Attach(QList<EvidenceRow>& rows, int index, const QString& path)
{
    EvidenceRow& row = rows[index];
    const EvidenceKind* kind = EvidenceKindByCode(row.AUTHTYPE);
    if (!kind) {
        m_ui.ShowPlain(QStringLiteral("파일 등록 전에 종류를 선택 하여야 합니다."));
        return false;
    }
    const QFileInfo info(path);
    QFile source(path);
    if (!info.isFile() || !source.open(QIODevice::ReadOnly)) {
        m_ui.ShowPlain(path + "\r\n" + QStringLiteral("파일을 읽을 수 없습니다."));
        return false;
    }
    source.close();
    if (const platform::Result<> fits = CheckEvidenceFile(*kind, info.fileName(), info.size());
        !fits) {
        m_ui.ShowPlain(info.size() == 0 ? path + "\r\n" + fits.error() : fits.error());
        return false;
    }
    const QString name = storedName(
        rows, index, info.suffix().isEmpty() ? QString() : "." + AuthFileNamePart(info.suffix()));
    const QString target = AuthTempDir(m_ws) + name;
    QDir().mkpath(AuthTempDir(m_ws));
    QFile::remove(target);
    if (!QFile::copy(path, target)) {
        m_ui.ShowError(target + "\r" + source.errorString());
        return false;
    }
    row.AUTHFILE = name;
    row.changed = true;
    return true;
}

bool EvidenceFiles::Save(const QList<EvidenceRow>& rows)
{
    for (const EvidenceRow& row : rows) {
        if (!row.changed)
            continue;
        const QString name = row.AUTHFILE.trimmed();
        if (!name.isEmpty() && !IsAuthFileName(name)) {
            shell::WriteLog("증빙파일 이름 거부, " + name, true);
            m_ui.ShowError(name + "\r" +
                           QStringLiteral("파일을 저장하는 중 오류가 발생 하였습니다."));
            return false;
        }
        const ConsentKey key = row.key();
        const QString chosen = AuthTempDir(m_ws) + name;
        const bool newFile = !name.isEmpty() && QFileInfo(chosen).isFile();
        QSqlQuery find(m_db);
        find.prepare(QString("SELECT 1 FROM EVIDENTIAL where") + kEvidenceKeyMatch);
        BindEvidenceKey(find, key);
        if (!find.exec()) {
            m_ui.ShowError(store::ReadFailureMessage(find.lastError()));
            return false;
        }
        const bool exists = find.next();
        find.finish();
        // A new file is not the one the bank holds: the record says so
        // before the file is replaced, so that no moment pairs the new file
        // with the old "sent".
        if (exists && newFile && !forgetSent(key))
            return false;
        // The file first: a record must never name a file that did not arrive.
        if (newFile) {
            const QString target = AuthFileDir(m_ws) + name;
            const QString partial = target + ".part";
            QFile::remove(partial);
            QFile source(chosen);
            if (!source.copy(partial)) {
                m_ui.ShowError(target + "\r" + source.errorString());
                return false;
            }
            // Renamed over the old file: a failure keeps it.
            if (!shell::ReplaceFile(partial, target)) {
                QFile::remove(partial);
                m_ui.ShowError(target + "\r" +
                               QStringLiteral("파일을 저장하는 중 오류가 발생 하였습니다."));
                return false;
            }
        }
        QSqlQuery q(m_db);
        if (exists) {
            q.prepare(QString("Update EVIDENTIAL set AUTHTYPE = :t, AUTHFILE = :f where") +
                      kEvidenceKeyMatch);
        } else {
            q.prepare("Insert into EVIDENTIAL (BANKCD,CUSTNO,CMSSerialNo,ACCTNO,AUTHTYPE,AUTHFILE,"
                      "SENDSTATE) values (:eb, :ec, :ep, :ea, :t, :f, :s)");
            q.bindValue(":s", store::StoredValue(store::EvidenceSendState::NotSent));
        }
        BindEvidenceKey(q, key);
        q.bindValue(":t", row.AUTHTYPE.trimmed());
        q.bindValue(":f", name);
        if (!q.exec()) {
            // The table keys evidence by bank, institution and payer number:
            // a second account under the same three is refused here.
            m_ui.ShowError(store::WriteErrorMessage(q.lastError()));
            return false;
        }
        shell::WriteLog("증빙파일등록, CUSTNO " + key.Giganid.trimmed() + ", BANKCD " +
                        key.Bankcd.trimmed() + ", CMSSerialNo " + key.NapbuNO.trimmed() +
                        ", ACCTNO " + key.Bankno.trimmed() + ", AUTHTYPE " + row.AUTHTYPE +
                        ", AUTHFILE " + name + (newFile && exists ? ", 전송전으로" : ""));
    }
    m_ui.ShowPlain(QStringLiteral("증빙 자료 등록이 완료 되었습니다."));
    return true;
}

bool EvidenceFiles::forgetSent(const ConsentKey& key)
{
    // An upload of the old file left unresolved is moot now: the new file
    // has to go anyway.
    store::TransactionGuard tx(m_db);
    QSqlQuery q(m_db);
    q.prepare(QString("Update EVIDENTIAL set SENDSTATE = :s, SENDDATE = NULL where") +
              kEvidenceKeyMatch);
    q.bindValue(":s", store::StoredValue(store::EvidenceSendState::NotSent));
    BindEvidenceKey(q, key);
    QSqlQuery open(m_db);
    open.prepare(QString("DELETE FROM EvidenceUpload WHERE") + kEvidenceKeyMatch);
    BindEvidenceKey(open, key);
    if (!q.exec() || !open.exec()) {
        m_ui.ShowError(
            store::WriteErrorMessage(q.lastError().isValid() ? q.lastError() : open.lastError()));
        return false;
    }
    if (!tx.commit()) {
        m_ui.ShowError(store::WriteErrorMessage(tx.error()));
        return false;
    }
    return true;
}

} // namespace consent
