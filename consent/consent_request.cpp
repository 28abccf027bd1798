#include "consent/consent_request.h"

#include "audit/record.h"

#include "codes/institution.h"
#include "consent/consent_status.h"
#include "consent/evidence_rules.h"
#include "edi/bank_groups.h"
#include "edi/fixed_record.h"
#include "edi/transfer_request.h"
#include "shell/clock.h"
#include "shell/envelope_line.h"
#include "shell/log.h"
#include "shell/text_helpers.h"
#include "shell/ui.h"
#include "store/database.h"
#include "shell/wait_scope.h"
#include "store/transaction_guard.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>

namespace consent {
namespace {

// The message names this many of the consents left out; the log all.
constexpr qsizetype kListedWithoutEvidence = 30;

struct Waiting
{
    qint64 rowId = 0;
    ConsentKey key;
    std::optional<ConsentStatus> status;
    QVariant autoIcheDate;
    QString branch;
    QString requestDate;
    QString jumin;
};

// A record whose number is wider than its field is refused, never cut.
platform::Result<QByteArray> checked(const edi::RecordBuilder& r)
{
    if (!r.tooWide().isEmpty())
        return platform::Fail(r.tooWide());
    return r.record();
}

platform::Result<QByteArray> sRecord(const QString& institution, const QDate& today)
{
    edi::RecordBuilder r(100);
    r.literal("SE1")
        .text(institution, 10)
        .literal("12")
        .text(today.toString("yyyyMMdd"), 8)
        .literal("1")
        .blanks(74);
    return checked(r);
}

platform::Result<QByteArray> dRecord(const Waiting& w, int sequence, bool juminCheck,
                                     const QDate& today)
{
    const QString digits = shell::DigitsOnly(w.key.Bankno);
    // The own bank groups take the account zero-filled to 14 digits; a
    // longer number is sent whole rather than cut.
    const QString account = edi::GroupOf(w.key.Bankcd) == edi::BankGroup::Other
                                ? digits
                                : digits.rightJustified(14, '0');
    const int autoDay = w.autoIcheDate.toInt();
    QDate requested = QDate::fromString(w.requestDate.left(10), Qt::ISODate);
    if (!requested.isValid())
        requested = today;
    const QString jumin = w.jumin.trimmed();

    edi::RecordBuilder r(100);
    r.literal("D")
        .number(sequence, 7)
        .text(edi::ConsentBankCode(w.key.Bankcd), 2)
        .text(account, 16)
        .literal(w.status == ConsentStatus::RegisterWaiting ? "1" : "2");
    if (!w.autoIcheDate.isNull() && autoDay != 0)
        r.number(autoDay, 2);
    else
        r.blanks(2);
    r.zeroFilled(w.branch.trimmed(), 6)
        .text(requested.toString("yyyyMMdd"), 8)
        .blanks(5)
        .literal(juminCheck && !jumin.isEmpty() ? "Y" : "N")
        .text(shell::DigitsOnly(jumin), 13)
        .text(w.key.NapbuNO, 20)
        .blanks(16);
    return checked(r);
}

platform::Result<QByteArray> eRecord(int registrations, int cancellations)
{
    edi::RecordBuilder r(100);
    r.literal("E")
        .number(registrations + cancellations + 2, 7)
        .number(registrations, 7)
        .number(cancellations, 7)
        .zeros(28)
        .blanks(48);
    return checked(r);
}

class ConsentWriter
{
public:
    ConsentWriter(QSqlDatabase db, shell::Ui& ui, const ConsentRequestRun& run)
        : m_db(std::move(db)), m_ui(ui), m_run(run)
    {
    }
    ConsentRequestResult run();

private:
    bool writeAll();
    bool writeInstitution(const codes::Institution& inst, const QList<Waiting>& rows,
                          bool juminCheck);
    bool fail(const QString& detail);
    bool tableError(const QSqlQuery& q);

    QSqlDatabase m_db;
    shell::Ui& m_ui;
    const ConsentRequestRun& m_run;
    ConsentRequestResult m_result;
    QDate m_today;
};

bool ConsentWriter::fail(const QString& detail)
{
    m_ui.ShowError(edi::BuildErrorMessage() + "\r\r" + detail);
    return false;
}

bool ConsentWriter::tableError(const QSqlQuery& q)
{
    return fail("출금동의 자료를 기록할 수 없습니다.\r" + store::WriteErrorMessage(q.lastError()));
}

bool ConsentWriter::writeInstitution(const codes::Institution& inst, const QList<Waiting>& rows,
                                     bool juminCheck)
{
    shell::Envelope envelope;
    envelope.senderId = m_run.senderId;
    envelope.fileCode = inst.TREGISTEROUT.toUpper();
    envelope.bankId = inst.APBCODE;
    const bool exempt = inst.AUTHSENDTYPE.trimmed() == QStringLiteral("면제");
    if (!exempt) {
        envelope.marker = "<<SMHEAD>>";
        envelope.recordKind = '3';
        envelope.dataKind = 'B';
        envelope.size = qint64(rows.size()) * 100 + 200;
    }
    const platform::Result<QByteArray> head = shell::EnvelopeLine(envelope);
    const platform::Result<QByteArray> s = sRecord(inst.APID10, m_today);
    if (!head || !s)
        return fail(inst.APID10 + "\r" + (head ? s.error() : head.error()));
    QByteArray file = *head;
    if (!exempt)
        file += "001PAYINFO   ";
    file += "\r\n";
    file += *s + "\r\n";

    QSqlQuery stamp(m_db);
    if (!stamp.prepare("UPDATE TongRegister SET Senddate = ? WHERE rowid = ?"))
        return tableError(stamp);
    int registrations = 0;
    int sequence = 1;
    for (const Waiting& w : rows) {
        const platform::Result<QByteArray> d = dRecord(w, sequence++, juminCheck, m_today);
        if (!d)
            return fail(EvidenceConsentText(w.key) + "\r" + d.error());
        file += *d + "\r\n";
        if (w.status == ConsentStatus::RegisterWaiting)
            ++registrations;
        stamp.bindValue(0, m_run.sendTime.toString("yyyy-MM-dd HH:mm:ss"));
        stamp.bindValue(1, w.rowId);
        if (!stamp.exec())
            return tableError(stamp);
        m_result.written.append(w.key);
    }
    const platform::Result<QByteArray> e = eRecord(registrations, int(rows.size()) - registrations);
    if (!e)
        return fail(inst.APID10 + "\r" + e.error());
    file += *e + "\r\n";

    const QString path = m_run.sendDir + "Register_" + QString::number(m_result.files.size() + 1);
    m_result.files.append(path); // deleted again if the run fails
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(file) != file.size() ||
        !out.flush())
        return fail("송신 파일을 쓸 수 없습니다.\r" + path + "\r" + out.errorString());
    m_result.items.append({edi::KindConsent, inst.Name, inst.TREGISTEROUT, int(rows.size()), 0});
    return true;
}

bool ConsentWriter::writeAll()
{
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    q.prepare("SELECT rowid, Giganid, Bankcd, Bankno, NapbuNO, Status, Autoichedate, "
              "BanksubCD, RequestDate, JuminNO\n"
              "FROM TongRegister\n"
              "WHERE Status = :registerWaiting or Status = :cancelWaiting\n"
              "ORDER BY Giganid, Bankcd, Bankno, NapbuNO");
    q.bindValue(":registerWaiting", store::StoredValue(ConsentStatus::RegisterWaiting));
    q.bindValue(":cancelWaiting", store::StoredValue(ConsentStatus::CancelWaiting));
    if (!q.exec())
        return tableError(q);
    QStringList order;
    QHash<QString, QList<Waiting>> byInstitution;
    while (q.next()) {
        Waiting w;
        w.rowId = q.value(0).toLongLong();
        w.key = {q.value(1).toString(), q.value(2).toString(), q.value(3).toString(),
                 q.value(4).toString()};
        w.status = store::ConsentStatusFrom(q.value(5));
        w.autoIcheDate = q.value(6);
        w.branch = q.value(7).toString();
        w.requestDate = q.value(8).toString();
        w.jumin = q.value(9).toString();
        if (!byInstitution.contains(w.key.Giganid))
            order.append(w.key.Giganid);
        byInstitution[w.key.Giganid].append(w);
    }
    q.finish();
    m_result.anyWaiting = !order.isEmpty();
    if (order.isEmpty())
        return true;

    QSqlQuery bank(m_db);
    bool juminCheck = false;
    if (!bank.exec("SELECT JUMINCHECK FROM BankCode WHERE Id = '12'"))
        return tableError(bank);
    if (bank.next())
        juminCheck = bank.value(0).toInt() != 0;
    bank.finish();

    // The institution is settled before its file is made, so that no file
    // is left holding only part of its records.
    codes::Institutions institutions(m_db, m_ui);
    EvidenceCheck evidence(m_db, m_today);
    for (const QString& code : order) {
        const platform::Result<std::optional<codes::Institution>> found =
            institutions.FindByCode(code);
        if (!found)
            return fail(found.error());
        const std::optional<codes::Institution>& inst = *found;
        if (!inst || code.trimmed().isEmpty()) {
            m_result.skipped.append(
                QString("기관코드 [%1] %2건").arg(code).arg(byInstitution.value(code).size()));
            continue;
        }
        // Every registration leaves here, whoever set it waiting (the
        // register, an import, a save): checked again now, as evidence may
        // have expired or been used while it waited.
        QList<Waiting> rows;
        for (const Waiting& w : byInstitution.value(code)) {
            if (w.status == ConsentStatus::RegisterWaiting) {
                const platform::Result<bool> ready = evidence.Ready(w.key);
                if (!ready)
                    return fail("출금동의 자료를 기록할 수 없습니다.\r" + ready.error());
                if (!*ready) {
                    m_result.withoutEvidence.append(w.key);
                    continue;
                }
            }
            rows.append(w);
        }
        if (!rows.isEmpty() && !writeInstitution(*inst, rows, juminCheck))
            return false;
    }
    return true;
}

ConsentRequestResult ConsentWriter::run()
{
    shell::WaitScope wait(m_ui, QStringLiteral("송신 자료를 생성중입니다."));
    m_today = shell::Today();
    bool written = false;
    {
        store::TransactionGuard tx(m_db);
        // Written down by the program for the send, which is the record's row.
        audit::Quiet quiet;
        if (!tx.active()) {
            fail("출금동의 자료를 기록할 수 없습니다.\r" + store::WriteErrorMessage(m_db.lastError()));
        } else if (writeAll()) {
            written = tx.commit();
            if (!written)
                fail("출금동의 자료를 기록할 수 없습니다.\r" + store::WriteErrorMessage(m_db.lastError()));
        }
    }
    if (!written) {
        for (const QString& path : m_result.files)
            QFile::remove(path);
        ConsentRequestResult failed;
        failed.anyWaiting = m_result.anyWaiting;
        return failed;
    }
    if (!m_result.withoutEvidence.isEmpty()) {
        QStringList lines;
        for (const ConsentKey& k : m_result.withoutEvidence) {
            shell::WriteLog("출금동의 송신 제외, 증빙 없음, " + EvidenceConsentText(k));
            if (lines.size() < kListedWithoutEvidence)
                lines.append(EvidenceConsentText(k));
        }
        if (m_result.withoutEvidence.size() > lines.size())
            lines.append(QString("외 %1건").arg(m_result.withoutEvidence.size() - lines.size()));
        m_ui.ShowInfo(QStringLiteral("증빙 자료가 7일 이내에 전송되지 않았거나 이미 사용된 "
                                     "출금동의는 등록 신청 자료에서 제외하였습니다.\r") +
                      lines.join('\r'));
    }
    if (!m_result.skipped.isEmpty())
        m_ui.ShowInfo("이용자설정에 등록되지 않은 기관의 출금동의 자료는 송신 자료에서 "
                      "제외하였습니다.\r" +
                      m_result.skipped.join('\r'));
    m_result.ok = true;
    return m_result;
}

} // namespace

platform::Result<bool> ConsentSendingOn(QSqlDatabase db)
{
    QSqlQuery q(db);
    if (!q.exec("SELECT SENDVERSION FROM BankCode WHERE Id = '12'"))
        return platform::Fail(store::ReadFailureMessage(q.lastError()));
    if (!q.next()) {
        if (q.lastError().isValid())
            return platform::Fail(store::ReadFailureMessage(q.lastError()));
        return false; // no row "12": the branch never switched consents on
    }
    return q.value(0).toString().trimmed().toInt() == 1;
}

ConsentRequestResult BuildConsentRequests(QSqlDatabase db, shell::Ui& ui,
                                          const ConsentRequestRun& run)
{
    return ConsentWriter(std::move(db), ui, run).run();
}

} // namespace consent
