#include "consent/consent_result.h"
#include "store/database.h"

#include "consent/consent_status.h"
#include "edi/bank_groups.h"
#include "edi/fixed_record.h"
#include "shell/clock.h"
#include "shell/text_helpers.h"
#include "shell/ui.h"
#include "shell/wait_scope.h"
#include "store/tdm1.h"
#include "store/transaction_guard.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

namespace consent {
namespace {

constexpr int kRecordWidth = 98;

struct Block
{
    bool open = false;    // between an S record and its E record
    bool applied = false; // the institution is registered under this file code
    QString code;
    QString name;
    QStringList spellings; // the code as the register holds it, in any case
    int count = 0;
};

// The request carries the account zero-filled to 14 digits for the own
// bank groups and as it is for other banks; the answer may come back in
// either form, or cut to the 14 characters of DisplayBankno.
bool accountMatches(const QString& stored, const QString& display, const QString& answered)
{
    const QString digits = shell::DigitsOnly(stored);
    if (answered == digits || answered == digits.rightJustified(14, '0'))
        return true;
    return !display.isEmpty() && answered.left(14) == display;
}

bool bankMatches(const QString& stored, const QString& answered)
{
    return edi::ConsentBankCode(stored) == answered.rightJustified(2, '0');
}

class ConsentFile
{
public:
    ConsentFile(QSqlDatabase db, const edi::ResultFile& file)
        : m_db(std::move(db)), m_path(file.path), m_fileName(file.code)
    {
    }

    // False with `reason()` when the file cannot be applied; `recognised`
    // is false for a file that is no consent result (left unread).
    bool apply(bool& recognised);
    const QString& reason() const { return m_reason; }
    bool engine() const { return m_engine; }
    const edi::TEdiInfoList& items() const { return m_items; }
    const QStringList& notes() const { return m_notes; }

private:
    bool header(const edi::RecordView& rec);
    bool data(const edi::RecordView& rec);
    void closeBlock();
    bool fail(const QString& reason);
    // A statement the database refused: the file stays waiting for the next run.
    bool tableError(const QSqlError& error)
    {
        m_engine = true;
        return fail("출금동의 자료를 기록할 수 없습니다. " + store::WriteErrorMessage(error));
    }
    void note(const QString& text);

    QSqlDatabase m_db;
    QString m_path;
    QString m_fileName;
    Block m_block;
    int m_recordNo = 0;
    QString m_now;
    QString m_reason;
    bool m_engine = false; // a table failed, not the file
    edi::TEdiInfoList m_items;
    QStringList m_notes;
};

bool ConsentFile::fail(const QString& reason)
{
    m_reason = m_recordNo > 0 ? QString("%1번째 레코드: %2").arg(m_recordNo).arg(reason) : reason;
    return false;
}

void ConsentFile::note(const QString& text)
{
    m_notes.append(QString("%1 %2번째 레코드: %3").arg(m_fileName).arg(m_recordNo).arg(text));
}

void ConsentFile::closeBlock()
{
    if (m_block.applied)
        m_items.append({edi::KindConsent, m_block.name, m_fileName, m_block.count, 0});
    m_block = Block{};
}

bool ConsentFile::header(const edi::RecordView& rec)
{
    if (m_block.open)
        closeBlock();
    Block b;
    b.open = true;
    b.code = rec.trimmed(3, 10);
    QSqlQuery q(m_db);
    q.prepare("SELECT Name FROM UserCode WHERE APID10 = ? COLLATE NOCASE AND TREGISTERIN = ? "
              "ORDER BY Rec");
    q.addBindValue(b.code);
    q.addBindValue(m_fileName);
    if (!q.exec())
        return tableError(q.lastError());
    if (!b.code.isEmpty() && q.next()) {
        b.applied = true;
        b.name = q.value(0).toString();
        // Consents imported under another case of the code are answered too;
        // the spellings are found once per block so that each answer record
        // still finds its consents through the key index.
        QSqlQuery spelt(m_db);
        spelt.prepare("SELECT DISTINCT Giganid FROM TongRegister WHERE Giganid = ? COLLATE NOCASE");
        spelt.addBindValue(b.code);
        if (!spelt.exec())
            return tableError(spelt.lastError());
        while (spelt.next())
            b.spellings.append(spelt.value(0).toString());
    } else {
        note(QString("기관코드 [%1] 는 수신화일정보 %2 로 등록된 기관이 아니므로 반영하지 "
                     "않았습니다.")
                 .arg(b.code, m_fileName));
    }
    m_block = b;
    return true;
}

bool ConsentFile::data(const edi::RecordView& rec)
{
    if (!m_block.open) {
        note(QStringLiteral("헤더 레코드 없는 자료는 반영하지 않았습니다."));
        return true;
    }
    if (!m_block.applied)
        return true;
    const QString bank = shell::DigitsOnly(rec.trimmed(8, 2));
    const QString account = rec.trimmed(10, 16);
    const bool registration = rec.byteAt(26) == "1";
    const bool yes = rec.byteAt(43) == "Y";
    const QString codeText = rec.trimmed(44, 4);
    const QString payer = rec.trimmed(62, 20);
    bool numeric = false;
    const int code = codeText.toInt(&numeric);
    if (!numeric || !shell::IsDigitText(codeText)) {
        note(QString("처리결과 코드 [%1] 가 숫자가 아니므로 반영하지 않았습니다. (납부자번호 %2)")
                 .arg(codeText, payer));
        return true;
    }

    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    const QStringList marks(qMax<qsizetype>(m_block.spellings.size(), 1), QStringLiteral("?"));
    q.prepare("SELECT rowid, Bankcd, Bankno, DisplayBankno, Status FROM TongRegister "
              "WHERE Giganid IN (" +
              marks.join(", ") + ") AND NapbuNO = ?");
    if (m_block.spellings.isEmpty())
        q.addBindValue(m_block.code);
    for (const QString& spelling : m_block.spellings)
        q.addBindValue(spelling);
    q.addBindValue(payer);
    if (!q.exec())
        return tableError(q.lastError());
    qint64 rowId = -1;
    while (q.next()) {
        if (!bankMatches(q.value(1).toString(), bank) ||
            !accountMatches(q.value(2).toString(), q.value(3).toString().trimmed(), account))
            continue;
        const std::optional<ConsentStatus> status = store::ConsentStatusFrom(q.value(4));
        const bool atBank =
            status == ConsentStatus::Registering || status == ConsentStatus::Cancelling;
        // A request in progress is the one this answers.
        if (rowId < 0 || atBank)
            rowId = q.value(0).toLongLong();
        if (atBank)
            break;
    }
    q.finish();
    if (rowId < 0) {
        note(QString(
                 "해당하는 출금동의가 없어 반영하지 않았습니다. (은행 %1, 계좌 %2, 납부자번호 %3)")
                 .arg(bank, account, payer));
        return true;
    }
    const bool accepted = Accepted(yes, code);
    QSqlQuery u(m_db);
    u.prepare("UPDATE TongRegister SET Status = ?, ResultYN = ?, ResultCD = ?, Receivedate = ? "
              "WHERE rowid = ?");
    u.addBindValue(store::StoredValue(AnsweredStatus(registration, accepted)));
    u.addBindValue(accepted ? 1 : 0);
    u.addBindValue(code);
    u.addBindValue(m_now);
    u.addBindValue(rowId);
    if (!u.exec())
        return tableError(u.lastError());
    ++m_block.count;
    return true;
}

bool ConsentFile::apply(bool& recognised)
{
    recognised = false;
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return fail("파일을 읽을 수 없습니다. " + file.errorString());
    const QByteArray bytes = file.readAll();
    if (bytes.size() < 3 || bytes.at(1) != '1' || bytes.at(2) != 'E')
        return true; // another kind of file
    recognised = true;
    const edi::RecordSplit split = edi::SplitRecords(bytes, kRecordWidth);
    if (!split.error.isEmpty())
        return fail(split.error);
    m_now = shell::Now().toString("yyyy-MM-dd HH:mm:ss");
    const bool walked = edi::DispatchRecords(
        split.records, edi::RecordMarks::Letters, m_recordNo,
        [this](const edi::RecordView& rec) { return header(rec); },
        [this](const edi::RecordView& rec) { return data(rec); },
        [this](const edi::RecordView&) {
            if (m_block.open)
                closeBlock();
            return true;
        });
    if (!walked)
        return false;
    if (m_block.open)
        return fail(edi::MissingTrailerMessage());
    return true;
}

} // namespace

edi::ResultRun ApplyConsentResults(store::TDM1& dm, const QString& recvDir)
{
    return ApplyConsentResults(
        dm, edi::NamedByCode(edi::ReceivedFiles(dm.db(), "TREGISTERIN", recvDir)));
}

edi::ResultRun ApplyConsentResults(store::TDM1& dm, const QList<edi::ResultFile>& files)
{
    return edi::ApplyEachFile(dm, files, QStringLiteral("출금동의 자료를 기록할 수 없습니다. "),
                              [](QSqlDatabase& db, const edi::ResultFile& file) {
                                  ConsentFile consentFile(db, file);
                                  edi::FileApplied applied;
                                  applied.ok = consentFile.apply(applied.recognised);
                                  applied.reason = consentFile.reason();
                                  applied.engine = consentFile.engine();
                                  applied.items = consentFile.items();
                                  applied.notes = consentFile.notes();
                                  return applied;
                              });
}

} // namespace consent
