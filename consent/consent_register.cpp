#include "consent/consent_register.h"

#include "consent/evidence_rules.h"
#include "shell/clock.h"
#include "shell/log.h"
#include "shell/text_helpers.h"
#include "shell/ui.h"
#include "shell/wait_scope.h"
#include "store/account_numbers.h"
#include "store/bulk_write.h"
#include "store/database.h"
#include "store/result_codes.h"
#include "store/transaction_guard.h"

#include <QSqlError>
#include <QSqlQuery>

namespace consent {
namespace {

QDateTime dateTimeOf(const QVariant& v)
{
    return v.isNull() ? QDateTime() : QDateTime::fromString(v.toString(), "yyyy-MM-dd HH:mm:ss");
}

QVariant dateTimeValue(const QDateTime& t)
{
    return t.isValid() ? QVariant(t.toString("yyyy-MM-dd HH:mm:ss"))
                       : QVariant(QMetaType(QMetaType::QString));
}

// Key violation or any other table error, as every post reports them.
void reportPostError(shell::Ui& ui, const QSqlError& error)
{
    ui.ShowInfo(store::WriteErrorMessage(error));
}

// The key of a consent row, as ":g", ":b", ":n", ":p".
void bindKey(QSqlQuery& q, const ConsentRecord& r)
{
    q.bindValue(":g", r.Giganid);
    q.bindValue(":b", r.Bankcd);
    q.bindValue(":n", r.Bankno);
    q.bindValue(":p", r.NapbuNO);
}

const char* const kFullJuminMessage = "선택 자료에 주민등록번호가 존재합니다.\r\n주민번호변경 "
                                      "버튼을 사용하여 주민등록번호를 생년월일로 "
                                      "변경 후 사용 가능합니다.";

const char* const kEvidenceMissing =
    "증빙자료 전송이 안된 자료가 발견 되었습니다.\r\n증빙자료 전송 후 출금 동의 신청 "
    "부탁드립니다.\r\n증빙자료 전송 면제 대상 업체인 경우 은행 정보 설정 화면에서 \r\n증빙자료 "
    "제출 구분을 변경하여 주시기 바랍니다.";

} // namespace

QString ConsentRecord::cStatus() const
{
    return StatusText(Status);
}

QString ConsentRecord::cResultCD() const
{
    return ResultCodeText(ResultCD);
}

bool ConsentRecord::AtBank() const
{
    const std::optional<ConsentStatus> s = store::ConsentStatusFrom(Status);
    return s == ConsentStatus::Registering || s == ConsentStatus::Cancelling;
}

platform::Result<bool> ConsentExists(const QSqlDatabase& db, const QString& giganid,
                                     const QString& bankcd, const QString& bankno,
                                     const QString& napbuno)
{
    // The bank tells payer numbers apart without regard to case, so the
    // register does too.
    QSqlQuery q(db);
    q.prepare("SELECT napbuno FROM TongRegister"
              " WHERE Giganid = :Giganid COLLATE NOCASE"
              " AND   bankcd  = :bankcd"
              " AND   replace(bankno, '-', '') = :bankno"
              " AND   upper(napbuno) = :napbuno");
    q.bindValue(":Giganid", giganid);
    q.bindValue(":bankcd", bankcd);
    q.bindValue(":bankno", store::StripHyphens(bankno).trimmed());
    q.bindValue(":napbuno", napbuno.toUpper());
    if (!q.exec())
        return platform::Fail(store::ReadFailureMessage(q.lastError()));
    return q.next();
}

platform::Result<QString> RegisteredInstitutionCode(const QSqlDatabase& db, const QString& code)
{
    const QString trimmed = code.trimmed();
    QSqlQuery q(db);
    // An exact spelling wins over another institution's differing in case.
    q.prepare("SELECT APID10 FROM UserCode WHERE APID10 = :c COLLATE NOCASE "
              "ORDER BY APID10 <> :c, Rec LIMIT 1");
    q.bindValue(":c", trimmed);
    if (trimmed.isEmpty())
        return trimmed;
    if (!q.exec())
        return platform::Fail(store::ReadFailureMessage(q.lastError()));
    return q.next() ? q.value(0).toString() : trimmed;
}

QString ResultCodeText(const QVariant& resultCd)
{
    if (resultCd.isNull() || resultCd.toString().trimmed().isEmpty())
        return {};
    bool ok = false;
    const int code = resultCd.toInt(&ok);
    const char* known = ok ? store::RegisterResultText(code) : nullptr;
    if (ok && code == 0)
        return QString::fromUtf8(known);
    const QString text = known ? QString::fromUtf8(known) : QStringLiteral("은행에 문의필요");
    return "[" + resultCd.toString().trimmed() + "]" + text;
}

bool IsFullJumin(const QString& juminNo)
{
    return juminNo.trimmed().size() > 12;
}

ConsentRegister::ConsentRegister(QSqlDatabase db, shell::Ui& ui) : m_db(std::move(db)), m_ui(ui) {}

StatusCounts ConsentRegister::Counts() const
{
    StatusCounts counts;
    QSqlQuery q(m_db);
    if (!q.exec(
            "SELECT Status, COUNT(*) FROM TongRegister WHERE Status IS NOT NULL GROUP BY Status"))
        return counts;
    while (q.next()) {
        const int count = q.value(1).toInt();
        counts.total += count;
        if (const std::optional<ConsentStatus> status = store::ConsentStatusFrom(q.value(0)))
            counts.perStatus[size_t(store::StoredValue(*status))] += count;
    }
    return counts;
}

std::optional<QList<ConsentRecord>> ConsentRegister::List(std::optional<ConsentStatus> status,
                                                          ConsentOrder order) const
{
    QString sql = "SELECT Giganid, Bankcd, Bankno, NapbuNO, Status, NAME, RequestDate, Senddate, "
                  "Receivedate, ResultCD, CheckJumin, JuminNO, ResultYN, DisplayBankno "
                  "FROM TongRegister";
    if (status)
        sql += " WHERE Status = :status";
    switch (order) {
    case ConsentOrder::StatusAccount:
        sql += " ORDER BY Status, Bankcd, Bankno";
        break;
    case ConsentOrder::StatusSendDate:
        sql += " ORDER BY Status, Senddate";
        break;
    case ConsentOrder::None:
        sql += " ORDER BY rowid";
        break;
    }
    QSqlQuery q(m_db);
    q.prepare(sql);
    if (status)
        q.bindValue(":status", store::StoredValue(*status));
    QList<ConsentRecord> rows;
    const auto failed = [&] {
        m_ui.ShowError(store::ReadFailureMessage(q.lastError()));
        return std::nullopt;
    };
    if (!q.exec())
        return failed();
    while (q.next()) {
        ConsentRecord r;
        r.Giganid = q.value(0).toString();
        r.Bankcd = q.value(1).toString();
        r.Bankno = q.value(2).toString();
        r.NapbuNO = q.value(3).toString();
        r.Status = q.value(4);
        r.NAME = q.value(5).toString();
        r.RequestDate = dateTimeOf(q.value(6));
        r.Senddate = dateTimeOf(q.value(7));
        r.Receivedate = dateTimeOf(q.value(8));
        r.ResultCD = q.value(9);
        r.CheckJumin = q.value(10).toBool();
        r.JuminNO = q.value(11).toString();
        r.ResultYN = q.value(12);
        r.DisplayBankno = q.value(13).toString();
        rows.append(r);
    }
    if (q.lastError().isValid())
        return failed();
    return rows;
}

bool ConsentRegister::MayInsert(const QList<ConsentRecord>& selected)
{
    for (const ConsentRecord& r : selected) {
        if (r.AtBank()) {
            m_ui.ShowPlain(r.NAME + ":상태가 '등록중/해지중' 데이타 입니다.");
            return false;
        }
    }
    return true;
}

ConsentSave ConsentRegister::Save(ConsentRecord& row)
{
    using F = ConsentField;
    row.Bankcd = row.Bankcd.trimmed();
    if (row.Bankcd.isEmpty())
        return shell::RefuseSave(m_ui, "은행명(은행코드) 항목이 누락되었습니다.", F::Bank);
    {
        QSqlQuery q(m_db);
        q.prepare("SELECT 1 FROM BankCode WHERE Id = :id");
        q.bindValue(":id", row.Bankcd);
        if (!q.exec() || !q.next())
            return shell::RefuseSave(m_ui, "은행코드가 적절하지 않습니다.", F::Bank);
    }
    if (row.Bankno.trimmed().isEmpty())
        return shell::RefuseSave(m_ui, "계좌번호 항목이 누락되었습니다.", F::Account);
    if (row.JuminNO.trimmed().isEmpty())
        return shell::RefuseSave(m_ui, "실명번호를 입력하세요", F::Jumin);
    if (IsFullJumin(row.JuminNO))
        return shell::RefuseSave(
            m_ui,
            "실명번호의 주민등록번호는 생년월일로 대체 되었습니다.\r\n확인 후 수정해 주시기 "
            "바랍니다.",
            F::Jumin);
    row.CheckJumin = true;
    if (row.NapbuNO.trimmed().isEmpty())
        return shell::RefuseSave(m_ui, "납부자번호를 입력하세요", F::Payer);
    if (row.Giganid.trimmed().isEmpty())
        return shell::RefuseSave(m_ui, "기관업체를 선택하세요", F::Institution);
    const platform::Result<QString> spelt = RegisteredInstitutionCode(m_db, row.Giganid);
    if (!spelt) {
        m_ui.ShowError(spelt.error());
        return {false, F::Institution};
    }
    row.Giganid = *spelt;
    if (!store::IsValidAccount(row.Bankcd, row.Bankno) &&
        !m_ui.Confirm(QString::fromUtf8("계좌번호가 적절하지 않습니다.\r\r그냥 저장하시겠습니까?"),
                      false))
        return {false, F::Account};

    const QString digits = store::StripHyphens(row.Bankno).trimmed();
    const platform::Result<bool> exists =
        ConsentExists(m_db, row.Giganid, row.Bankcd, digits, row.NapbuNO);
    if (!exists) {
        m_ui.ShowError(exists.error());
        return {false, F::None};
    }
    if (*exists) {
        m_ui.ShowPlain(QString::fromUtf8(kConsentRegisterTitle) + "[자료변환-중복 데이타 발견]" +
                       "\n\r" + "기관:" + row.Giganid + ",은행:" + row.Bankcd +
                       ",계좌:" + row.Bankno + ",납부자:" + row.NapbuNO);
        return {false, F::None};
    }

    row.Bankno = digits;
    row.DisplayBankno = DisplayBankno(digits);
    if (row.Status.isNull())
        row.Status = store::StoredValue(ConsentStatus::RegisterWaiting);
    if (!row.RequestDate.isValid())
        row.RequestDate = shell::Now();
    QSqlQuery q(m_db);
    q.prepare("INSERT INTO TongRegister (Giganid, Bankcd, Bankno, NapbuNO, Status, NAME, "
              "Autoichedate, RequestDate, CheckJumin, JuminNO, DisplayBankno) VALUES (:g, :b, :n, "
              ":p, :s, :name, 0, :rd, 1, :j, :d)");
    q.bindValue(":g", row.Giganid);
    q.bindValue(":b", row.Bankcd);
    q.bindValue(":n", row.Bankno);
    q.bindValue(":p", row.NapbuNO);
    q.bindValue(":s", row.Status);
    q.bindValue(":name", row.NAME);
    q.bindValue(":rd", dateTimeValue(row.RequestDate));
    q.bindValue(":j", row.JuminNO);
    q.bindValue(":d", row.DisplayBankno);
    if (!q.exec()) {
        reportPostError(m_ui, q.lastError());
        return {false, F::None};
    }
    shell::WriteLog(LogText("입력", row));
    return {true, F::None};
}

bool ConsentRegister::EvidenceReady(const ConsentRecord& row) const
{
    const platform::Result<bool> ready = EvidenceCheck(m_db, shell::Today()).Ready(row.key());
    if (!ready)
        shell::WriteLog("증빙 확인 실패, " + ready.error(), true);
    return ready && *ready;
}

bool ConsentRegister::RequestRegistration(const QList<ConsentRecord>& selected)
{
    if (selected.isEmpty()) {
        m_ui.ShowPlain(QString::fromUtf8(kSelectHint));
        return false;
    }
    bool anyRegistered = false;
    for (const ConsentRecord& r : selected) {
        if (store::ConsentStatusFrom(r.Status) == ConsentStatus::Registered)
            anyRegistered = true;
        if (!EvidenceReady(r)) {
            m_ui.ShowInfo(QString::fromUtf8(kEvidenceMissing));
            return false;
        }
    }
    // The box's title comes first, as the message box cannot carry its own.
    if (anyRegistered &&
        m_ui.Confirm(QStringLiteral("작업을 취소 하시겠습니까?\r\n등록 완료건이 존재합니다"),
                     false))
        return false;
    const QString question =
        selected.size() == 1
            ? "이름 = [" + selected.first().NAME + "] 를 신청하시겠습니까?"
            : QString("선택갯수 = [%1] 일괄 신청하시겠습니까?").arg(selected.size());
    if (m_ui.Ask("등록신청\r\n" + question, shell::Ui::Ok | shell::Ui::Cancel, shell::Ui::Ok) !=
        shell::Ui::Ok)
        return false;
    return moveTo(selected, ConsentStatus::RegisterWaiting, true);
}

bool ConsentRegister::RequestCancellation(const QList<ConsentRecord>& selected)
{
    if (selected.isEmpty()) {
        m_ui.ShowPlain(QString::fromUtf8(kSelectHint));
        return false;
    }
    const QString question = QString("선택갯수 = [%1] 일괄 신청하시겠습니까?").arg(selected.size());
    if (m_ui.Ask("해지신청\r\n" + question, shell::Ui::Ok | shell::Ui::Cancel, shell::Ui::Ok) !=
        shell::Ui::Ok)
        return false;
    return moveTo(selected, ConsentStatus::CancelWaiting, false);
}

bool ConsentRegister::moveTo(const QList<ConsentRecord>& selected, ConsentStatus status,
                             bool registration)
{
    for (const ConsentRecord& r : selected) {
        if (IsFullJumin(r.JuminNO)) {
            m_ui.ShowInfo(QString::fromUtf8(kFullJuminMessage));
            return false;
        }
    }
    int done = 0;
    bool failed = false;
    {
        // Rows already posted stay changed when a later one fails.
        shell::WaitScope wait(m_ui, QString("자료 변환 중...현재 %1건 처리").arg(0));
        store::BulkWrite bulk(m_db);
        const bool ran = bulk.run(
            "UPDATE TongRegister SET Status = :s, Receivedate = NULL, Senddate = NULL, "
            "ResultYN = NULL, ResultCD = NULL WHERE Giganid = :g AND Bankcd = :b AND "
            "Bankno = :n AND NapbuNO = :p",
            int(selected.size()),
            [&](QSqlQuery& q, int row) {
                q.bindValue(":s", store::StoredValue(status));
                bindKey(q, selected[row]);
            },
            [this](int n) {
                m_ui.ShowWaitMessage(QString("자료 변환 중...현재 %1건 처리").arg(n));
            });
        if (!ran) {
            reportPostError(m_ui, bulk.error());
            failed = true;
        }
        done = bulk.done();
        // A refused commit leaves no row changed: nothing went to the file.
        if (done > 0 && !bulk.commit()) {
            reportPostError(m_ui, bulk.error());
            failed = true;
            done = 0;
        }
    }
    for (int i = 0; i < done; ++i)
        shell::WriteLog(LogText(registration ? "등록신청" : "해지신청", selected[i]));
    if (registration)
        m_ui.ShowPlain(failed ? QStringLiteral("등록신청이  실패 되었습니다.")
                              : QStringLiteral("일괄 등록신청되었습니다."));
    else
        m_ui.ShowPlain(failed ? QStringLiteral("해지신청이  실패 되었습니다.")
                              : QStringLiteral("일괄 해지신청되었습니다."));
    return done > 0;
}

bool ConsentRegister::ConvertJumin()
{
    if (!m_ui.Confirm(
            QStringLiteral("출금동의 자료의 주민등록번호를 생년월일로 변경하시겠습니까?\r\n"
                           "변경한 자료는 다시 복구할 수 없습니다.\r\n(저장된 전체 자료가 "
                           "변경 됩니다.)"),
            false))
        return false;
    const QString condition = " WHERE trim(substr(juminno, 13, 2)) <> ''";
    QSqlQuery q(m_db);
    if (!q.exec("SELECT COUNT(*) FROM tongregister " + condition) || !q.next()) {
        m_ui.ShowInfo(QStringLiteral(
            "주민등록번호 자료를 생년월일 변경하는 작업 중 오류가 발생 하였습니다."));
        return false;
    }
    if (q.value(0).toInt() == 0) {
        m_ui.ShowInfo(QStringLiteral("해당 데이터의 거래인에 주민등록번호가 존재하지 않습니다."));
        return false;
    }
    store::TransactionGuard guard(m_db);
    QSqlQuery u(m_db);
    if (!u.exec("UPDATE tongregister SET juminno = substr(juminno, 1, 6) " + condition) ||
        !guard.commit()) {
        m_ui.ShowInfo(QStringLiteral(
            "주민등록번호 자료를 생년월일 변경하는 작업 중 오류가 발생 하였습니다."));
        return false;
    }
    shell::WriteLog(QString("주민번호변경, 건수 %1").arg(q.value(0).toInt()));
    m_ui.ShowInfo(QStringLiteral("주민등록번호 자료를 생년월일 변경하는 작업이 완료 되었습니다."));
    return true;
}

bool ConsentRegister::Delete(const QList<ConsentRecord>& rows, int selected)
{
    if (rows.isEmpty())
        return false;
    // A request at the bank must keep its consent, or its answer finds
    // nothing to update.
    for (const ConsentRecord& r : rows) {
        if (r.AtBank()) {
            m_ui.ShowPlain(r.NAME + ":상태가 '등록중/해지중' 데이타 입니다.");
            return false;
        }
    }
    if (!m_ui.Confirm(
            QString("선택된 %1 개의 자료를 삭제하시겠습니까?").arg(selected > 0 ? selected : 1),
            false))
        return false;
    std::optional<shell::WaitScope> wait;
    if (selected > 0)
        wait.emplace(m_ui, QStringLiteral("자료 삭제 처리 중..."));
    store::BulkWrite bulk(m_db);
    if (!bulk.run("DELETE FROM TongRegister WHERE Giganid = :g AND Bankcd = :b AND Bankno = :n "
                  "AND NapbuNO = :p",
                  int(rows.size()), [&](QSqlQuery& q, int row) { bindKey(q, rows[row]); }) ||
        !bulk.commit()) {
        wait.reset();
        m_ui.ShowError(bulk.error().text());
        return false;
    }
    for (const ConsentRecord& r : rows)
        shell::WriteLog(LogText("삭제", r));
    return true;
}

QString ConsentRegister::LogText(const QString& action, const ConsentRecord& row)
{
    return action + ", Giganid " + row.Giganid + ", Bankcd " + row.Bankcd + ", Bankno " +
           row.Bankno + ", NapbuNO " + row.NapbuNO + ", NAME " + row.NAME;
}

QStringList ConsentExportRow(const ConsentRecord& c)
{
    const auto date = [](const QDateTime& t) {
        return t.isValid() ? t.toString("yyyy-MM-dd") : QString();
    };
    return {c.cStatus(),   c.NAME,    c.Giganid,          c.Bankcd,
            store::HyphenateOrKeep(c.Bankcd, c.Bankno), c.NapbuNO, c.JuminNO,
            date(c.Senddate), date(c.Receivedate), c.cResultCD()};
}

} // namespace consent
