#include "edi/transfer_result.h"
#include "store/database.h"

#include "edi/answer_blocks.h"
#include "edi/bank_groups.h"
#include "edi/fixed_record.h"
#include "edi/id_runs.h"
#include "edi/kept_requests.h"
#include "shell/clock.h"
#include "shell/kept_files.h"
#include "shell/text_helpers.h"
#include "shell/ui.h"
#include "shell/wait_scope.h"
#include "store/schema.h"
#include "store/statement.h"
#include "store/states.h"
#include "store/tdm1.h"
#include "store/transaction_guard.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <memory>
#include <vector>

namespace edi {
namespace {

enum class Layout { Wide, Narrow }; // 200-byte and 80-byte records

struct Header
{
    bool open = false;  // between a header and its trailer
    bool known = false; // registered under this file code
    QString code;
    QString account;
    QString pass;
    QDate date;
    bool dated = false; // the header carries a transfer date
    bool keyed = false; // 80-byte layout: the keyed variant
    // What the block's data records add up to, for its trailer.
    qint64 count = 0;
    qint64 total = 0;
    qint64 groupCount[3] = {0, 0, 0};
    qint64 groupSum[3] = {0, 0, 0};
    QString name;       // for the list; empty when not found
};

struct DataRecord
{
    int sequence = 0;
    QString bankCode;
    QString account;
    QString amount;
    QString payer;
    QString dong;
    QString ho;
    QString outcome;
    QString resultCode;
    bool collected = false;
    int batchNumber = 0;
    QString sendTime; // HHMMSS
};

struct LineRef
{
    qint64 apt2Id = 0;
    qint64 amount = 0;
    QString bankCode;
};

struct OpenBatch
{
    bool active = false;
    qint64 rowId = 0;
    int aptId = 0;
    int number = 0;
    QString sendTime;
    qint64 count = 0;
    qint64 total = 0;
    qint64 groupCount[3] = {0, 0, 0};
    qint64 groupSum[3] = {0, 0, 0};
    QHash<int, LineRef> lines; // by DataNo, the first line of each number
};

QString timeText(const QString& hhmmss)
{
    return hhmmss.mid(0, 2) + ':' + hhmmss.mid(2, 2) + ':' + hhmmss.mid(4, 2);
}

bool validTime(const QString& hhmmss)
{
    if (hhmmss.size() != 6 || !shell::IsDigitText(hhmmss))
        return false;
    const auto part = [&](int i) { return hhmmss.mid(i, 2).toInt(); };
    return part(0) < 24 && part(2) < 60 && part(4) < 60;
}

// A line's outcome and result code, and which of them is missing: a missing
// field is written as NULL, an empty one as ''.
struct Answer
{
    QString outcome;
    QString resultCode;
    bool operator==(const Answer& o) const
    {
        return outcome == o.outcome && resultCode == o.resultCode &&
               outcome.isNull() == o.outcome.isNull() &&
               resultCode.isNull() == o.resultCode.isNull();
    }
};

size_t qHash(const Answer& a, size_t seed = 0)
{
    return qHashMulti(seed, a.outcome, a.resultCode, a.outcome.isNull(), a.resultCode.isNull());
}

class FileApplier
{
public:
    // `code` is the receive file code the file answers under; `kept` the
    // request files kept from earlier sends.
    FileApplier(store::TDM1& dm, const ResultFile& file, KeptRequests& kept)
        : m_dm(dm), m_db(dm.db()), m_path(file.path), m_fileName(file.code), m_kept(kept)
    {
    }

    // False with `m_reason` set when the file cannot be applied.
    bool apply();
    const QString& reason() const { return m_reason; }
    bool engine() const { return m_engine; }
    const TEdiInfoList& items() const { return m_items; }
    const QStringList& notes() const { return m_notes; }

private:
    bool prepare();
    bool header(const RecordView& rec);
    bool data(const RecordView& rec);
    bool parseData(const RecordView& rec, DataRecord& d, bool& ignored);
    void parseDetails(const RecordView& rec, DataRecord& d) const;
    bool selectBatch(const DataRecord& d);
    bool keptBatch(const DataRecord& d, OpenBatch& b, bool& found);
    bool applyLine(const RecordView& rec, DataRecord& d);
    bool writeAnswers();
    bool closeBatch();
    bool trailer(const RecordView& rec);
    bool checkTrailer(const RecordView& rec);
    bool countForTrailer(const RecordView& rec);
    bool refuseKey(const DataRecord& d, const QString& why);
    bool fail(const QString& reason);
    // A write the table refused, through a QSqlQuery or a store::Statement.
    template <typename Query> bool tableError(const Query& q)
    {
        return tableError(q.lastError());
    }
    bool tableError(const QSqlError& error)
    {
        m_engine = true;
        return fail("이체자료를 기록할 수 없습니다. " + store::WriteErrorMessage(error));
    }
    platform::Result<QString> institutionName() const;

    store::TDM1& m_dm;
    QSqlDatabase m_db;
    QString m_path;
    QString m_fileName;
    KeptRequests& m_kept;
    Layout m_layout = Layout::Wide;
    Header m_header;
    OpenBatch m_batch;
    // The last batch key read and what it says: the lines of a batch share it.
    QString m_lastKey;
    QString m_lastSendTime;
    int m_lastBatchNumber = 0;
    int m_recordNo = 0;
    QString m_today;
    QString m_reason;
    bool m_engine = false; // a table failed, not the file
    // Each line answered, by its batch row and DataNo: a file answers a line once.
    QSet<std::pair<qint64, int>> m_answered;
    TEdiInfoList m_items;
    QStringList m_notes;

    // The answer for each line found, in the order read (a line answered
    // twice keeps the later answer); written at the end of the file by a few
    // statements over many lines, not one per line: a statement per line and
    // the byte-limit trigger per line cost several times the line's write.
    void noteAnswer(qint64 apt2Id, const DataRecord& d);
    QList<Answer> m_answerKinds;                   // the distinct answers
    QHash<Answer, int> m_answerIndex;              // their places in m_answerKinds
    std::vector<std::pair<qint64, int>> m_answers; // line id, answer
    QString m_resultColumn;
    std::unique_ptr<store::Statement> m_updateLines;
    std::unique_ptr<store::Statement> m_updateRange;
    std::unique_ptr<store::Statement> m_batchLines;
    QSqlQuery m_insertLine{m_db};
};

bool FileApplier::fail(const QString& reason)
{
    m_reason = m_recordNo > 0 ? QString("%1번째 레코드: %2").arg(m_recordNo).arg(reason) : reason;
    return false;
}

bool FileApplier::prepare()
{
    m_today = shell::Today().toString(Qt::ISODate);
    const QString resultColumn = m_layout == Layout::Wide ? "ResultID4" : "ResultID";
    m_resultColumn = resultColumn;
    m_updateLines = std::make_unique<store::Statement>(
        m_db, "UPDATE Apt2 SET IcheYebu = ?1, " + resultColumn +
                  " = ?2, Rdate = ?3, State = ?5 "
                  "WHERE Apt2ID IN (SELECT value FROM json_each(?4))");
    if (!m_updateLines->isValid())
        return tableError(*m_updateLines);
    m_updateLines->bind(3, m_today);
    const qint64 received = store::StoredValue(store::BatchState::Received).toLongLong();
    m_updateLines->bind(5, received);
    m_updateRange =
        std::make_unique<store::Statement>(m_db, "UPDATE Apt2 SET IcheYebu = ?1, " + resultColumn +
                                                     " = ?2, Rdate = ?3, State = ?6 "
                                                     "WHERE Apt2ID BETWEEN ?4 AND ?5");
    if (!m_updateRange->isValid())
        return tableError(*m_updateRange);
    m_updateRange->bind(3, m_today);
    m_updateRange->bind(6, received);
    m_batchLines = std::make_unique<store::Statement>(
        m_db, "SELECT Apt2ID, DataNo, IcheMoney, BankCode FROM Apt2 WHERE " +
                  store::IndexedMatch("Apt2", "AptID", "?") + " ORDER BY Apt2ID");
    if (!m_batchLines->isValid())
        return tableError(*m_batchLines);
    if (!m_insertLine.prepare("INSERT INTO Apt2 (AptID, BankCode, BankNo, IcheDate, IcheMoney, "
                              "IcheYebu, " +
                              resultColumn +
                              ", DongInt, Dong, HoInt, Ho, Bigo, DataNo, Rdate, State) "
                              "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"))
        return tableError(m_insertLine);
    m_insertLine.bindValue(14, received); // kept for every line inserted
    return true;
}

platform::Result<QString> FileApplier::institutionName() const
{
    // The collecting account is kept hyphenated; the header has none.
    QSqlQuery q(m_db);
    q.prepare("SELECT Name FROM UserCode WHERE APID10 = ? COLLATE NOCASE "
              "AND replace(BankNoApt, '-', '') = ? ORDER BY Rec");
    q.addBindValue(m_header.code);
    q.addBindValue(shell::RemoveChar(m_header.account, '-'));
    if (!q.exec())
        return platform::Fail(store::ReadFailureMessage(q.lastError()));
    return q.next() ? q.value(0).toString() : QString();
}

bool FileApplier::header(const RecordView& rec)
{
    if (m_batch.active && !closeBatch())
        return false;
    Header h;
    h.open = true;
    if (m_layout == Layout::Wide) {
        h.code = rec.trimmed(8, 10);
        h.date = shell::ParseLongDate(rec.trimmed(21, 8)).value;
        h.pass = rec.trimmed(37, 4);
        h.account = rec.trimmed(41, 16);
    } else {
        h.date = shell::ParseShortDate(rec.trimmed(4, 6));
        h.code = rec.trimmed(19, 7);
        h.pass = rec.trimmed(26, 4);
        h.account = rec.trimmed(30, 16);
        const QString flag = rec.byteAt(53);
        h.keyed = (flag == "Y" || flag == "X") && rec.byteAt(51) != "-";
    }
    // A date field that is empty or no date reads as the first day of 1990.
    h.dated = h.date.isValid() && h.date != QDate(1990, 1, 1);
    QSqlQuery q(m_db);
    q.prepare("SELECT Rec FROM UserCode WHERE APID10 = ? COLLATE NOCASE AND APIN = ?");
    q.addBindValue(h.code);
    q.addBindValue(m_fileName);
    if (!q.exec())
        return tableError(q);
    h.known = !h.code.isEmpty() && q.next();
    if (!h.known)
        m_notes.append(QString("%1: 기관코드 [%2] 는 수신화일정보 %3 로 등록된 기관이 아니므로 "
                               "반영하지 않았습니다.")
                           .arg(m_fileName, h.code, m_fileName));
    m_header = h;
    if (h.known) {
        const platform::Result<QString> name = institutionName();
        if (!name) {
            m_engine = true;
            return fail("이체자료를 기록할 수 없습니다. " + name.error());
        }
        m_header.name = *name;
    }
    return true;
}

bool FileApplier::parseData(const RecordView& rec, DataRecord& d, bool& ignored)
{
    ignored = false;
    const bool wide = m_layout == Layout::Wide;
    const QString sequence = rec.trimmed(wide ? 1 : 2, 7);
    bool ok = false;
    d.sequence = sequence.toInt(&ok);
    if (!ok || !shell::IsDigitText(sequence))
        return fail(QString("일련번호 [%1] 가 숫자가 아닙니다.").arg(sequence));
    // Only what finds the line and its answer here; the rest of the line
    // (parseDetails) only for a line that the answer makes again.
    QString key;
    if (wide) {
        key = rec.trimmed(114, 5);
        d.outcome = rec.byteAt(154);
        d.resultCode = rec.trimmed(155, 4);
        d.collected = d.outcome == u'Y';
    } else {
        d.outcome = rec.byteAt(39);
        d.resultCode = rec.trimmed(40, 2);
        if (d.resultCode.startsWith('0') && d.resultCode.size() > 1)
            d.resultCode.remove(0, 1);
        d.collected = d.outcome == u'Y' || d.outcome == u'1';
        if (m_header.keyed) {
            key = rec.trimmed(59, 5);
        } else {
            d.sendTime = rec.trimmed(69, 6);
            const QString number = rec.trimmed(75, 3);
            d.batchNumber = number.toInt(&ok);
            if (!ok || !shell::IsDigitText(number)) {
                ignored = true; // no batch to give it to
                m_notes.append(QString("%1: %2번째 레코드는 자료번호가 없어 반영하지 않았습니다.")
                                   .arg(m_fileName)
                                   .arg(m_recordNo));
                return true;
            }
        }
    }
    if ((wide || m_header.keyed) && !key.isEmpty() && key == m_lastKey) {
        d.sendTime = m_lastSendTime;
        d.batchNumber = m_lastBatchNumber;
    } else {
        if (wide || m_header.keyed) {
            const QString digits = QString::number(shell::Base62Value(key)).rightJustified(9, '0');
            d.sendTime = digits.left(6);
            d.batchNumber = digits.mid(6).toInt();
        }
        if (!validTime(d.sendTime))
            return fail(QString("배치키 [%1] 의 송신시각이 올바르지 않습니다.")
                            .arg(key.isEmpty() ? d.sendTime : key));
        if (wide || m_header.keyed) {
            m_lastKey = key;
            m_lastSendTime = d.sendTime;
            m_lastBatchNumber = d.batchNumber;
        }
    }
    // Literals, not texts made anew for each of a month's lines.
    if (d.outcome == u'N' && wide)
        d.outcome = QStringLiteral("X");
    else if (!wide && d.outcome == u'1')
        d.outcome = QStringLiteral("Y");
    else if (!wide && d.outcome == u'0')
        d.outcome = QStringLiteral("X");
    return true;
}

void FileApplier::parseDetails(const RecordView& rec, DataRecord& d) const
{
    if (m_layout == Layout::Wide) {
        d.bankCode = rec.field(23, 3).right(2).trimmed();
        d.account = rec.trimmed(26, 16);
        d.amount = rec.trimmed(42, 13);
        d.payer = rec.trimmed(68, 12);
        d.dong = rec.trimmed(119, 5);
        d.ho = rec.trimmed(124, 5);
        return;
    }
    d.bankCode = rec.trimmed(9, 2);
    d.account = rec.trimmed(11, 16);
    if (d.bankCode == "11" && rec.field(11, 2) == "00")
        d.account = rec.trimmed(13, 13);
    d.amount = rec.trimmed(27, 12);
    d.dong = rec.trimmed(46, 4);
    if (m_header.keyed) {
        d.ho = rec.trimmed(50, 9);
        d.payer = rec.trimmed(66, 12);
    } else {
        d.ho = rec.trimmed(51, 4);
        d.payer = rec.trimmed(55, 14);
    }
}

bool FileApplier::refuseKey(const DataRecord& d, const QString& why)
{
    return fail(QString("기관 [%1] 이체일 %2 배치 %3 (송신시각 %4): %5")
                    .arg(m_header.code, m_header.dated ? m_header.date.toString(Qt::ISODate)
                                                       : QStringLiteral("없음"))
                    .arg(d.batchNumber)
                    .arg(timeText(d.sendTime), why));
}

bool FileApplier::selectBatch(const DataRecord& d)
{
    if (m_batch.active && !closeBatch())
        return false;
    OpenBatch b;
    b.active = true;
    b.number = d.batchNumber;
    b.sendTime = d.sendTime;

    // A batch key is only the send time and the run's ordinal, so it repeats
    // across days and institutions: an answer goes only to a batch of the
    // institution its block names and, when the header carries one, of its
    // transfer date.
    const QString date = m_header.date.toString(Qt::ISODate);
    QSqlQuery q(m_db);
    q.prepare("SELECT rowid, AptID FROM Apt1 WHERE DataNo = ? AND replace(Stime, ':', '') = ? "
              "AND GiganID10 = ? COLLATE NOCASE AND (? OR IcheDate = ?) ORDER BY rowid LIMIT 1");
    q.addBindValue(d.batchNumber);
    q.addBindValue(d.sendTime);
    q.addBindValue(m_header.code);
    q.addBindValue(!m_header.dated);
    q.addBindValue(date);
    if (!q.exec())
        return tableError(q);
    if (q.next()) {
        b.rowId = q.value(0).toLongLong();
        b.aptId = q.value(1).toInt();
        store::Statement& lines = *m_batchLines;
        lines.bind(1, b.aptId);
        while (lines.next()) {
            const int dataNo = int(lines.int64(1));
            if (lines.isNull(1) || b.lines.contains(dataNo))
                continue;
            b.lines.insert(dataNo, {lines.int64(0), lines.int64(2), lines.text(3).trimmed()});
        }
        if (lines.lastError().isValid())
            return tableError(lines);
        m_batch = b;
        return true;
    }
    // No batch of this block carries the key: the batch may have been sent
    // again under a new one, and the request file of the earlier send says
    // which batch and lines the key stood for. A key this institution never
    // sent is no answer of ours: the file is refused rather than put on
    // another batch or a made-up one.
    bool kept = false;
    if (!keptBatch(d, b, kept))
        return false;
    if (!kept)
        return refuseKey(d, QStringLiteral("이 기관이 이 배치키로 보낸 자료가 없어 반영하지 "
                                           "않았습니다."));
    if (b.rowId == 0) {
        // Sent, but the batch is gone since: the answer makes it again.
        const std::optional<int> number = m_dm.NextBatchNumber();
        if (!number)
            return false;
        b.aptId = *number;
        QSqlQuery ins(m_db);
        ins.prepare("INSERT INTO Apt1 (AptID, GiganID10, FileGubun, BankCode, MoBankNo, IcheDate, "
                    "IcheEDate, Pass, Rdate, DataNo, Stime, Bigo) "
                    "VALUES (?, ?, '11', '12', ?, ?, ?, ?, ?, ?, ?, ?)");
        ins.addBindValue(b.aptId);
        ins.addBindValue(FitColumn(m_header.code, 10));
        ins.addBindValue(FitColumn(m_header.account, 16));
        ins.addBindValue(date);
        ins.addBindValue(date);
        ins.addBindValue(FitColumn(m_header.pass, 8));
        ins.addBindValue(m_today);
        ins.addBindValue(d.batchNumber);
        ins.addBindValue(timeText(d.sendTime));
        ins.addBindValue(QStringLiteral("수신시 생성"));
        if (!ins.exec())
            return tableError(ins);
        b.rowId = ins.lastInsertId().toLongLong();
    }
    m_batch = b;
    return true;
}

bool FileApplier::keptBatch(const DataRecord& d, OpenBatch& b, bool& found)
{
    found = false;
    const qint64 key = d.sendTime.toLongLong() * 1000 + d.batchNumber;
    const QList<KeptLine> kept = m_kept.Lines(m_header.code, m_header.date, key);
    if (kept.isEmpty())
        return true;
    found = true;

    // The file was written for a batch of this institution and transfer
    // date; of those, the one holding most of the lines it carried. Lines
    // are told apart by what the file wrote of them, since a later send may
    // have numbered them anew.
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    q.prepare("SELECT a.rowid, a.AptID, l.Apt2ID, l.BankNo, l.IcheMoney, l.Dong, l.Ho, l.BankCode, "
              "a.State FROM Apt1 a JOIN Apt2 l ON l.AptID = a.AptID COLLATE NOCASE "
              "WHERE a.GiganID10 = ? COLLATE NOCASE AND a.IcheDate = ? "
              "ORDER BY a.rowid, l.Apt2ID");
    q.addBindValue(m_header.code);
    q.addBindValue(m_header.date.toString(Qt::ISODate));
    if (!q.exec())
        return tableError(q);
    struct Candidate
    {
        qint64 rowId = 0;
        int aptId = 0;
        bool received = false;
        QHash<QString, QList<LineRef>> lines; // by written form, in line order
    };
    const auto written = [](const QString& account, qint64 amount, const QString& dong,
                            const QString& ho) {
        return shell::RemoveChar(account.trimmed(), '-') + '|' + QString::number(amount) + '|' +
               dong.trimmed() + '|' + ho.trimmed();
    };
    const QVariant received = store::StoredValue(store::BatchState::Received);
    QList<Candidate> candidates;
    while (q.next()) {
        if (candidates.isEmpty() || candidates.last().rowId != q.value(0).toLongLong())
            candidates.append({q.value(0).toLongLong(),
                               q.value(1).toInt(),
                               q.value(8).toLongLong() == received.toLongLong(),
                               {}});
        const qint64 amount = qint64(q.value(4).toDouble());
        candidates.last()
            .lines[written(q.value(3).toString(), amount, q.value(5).toString(),
                           q.value(6).toString())]
            .append({q.value(2).toLongLong(), amount, q.value(7).toString().trimmed()});
    }
    qsizetype best = -1;
    QHash<int, LineRef> bestLines;
    for (qsizetype i = 0; i < candidates.size(); ++i) {
        QHash<int, LineRef> matched;
        QHash<QString, QList<LineRef>>& left = candidates[i].lines;
        for (const KeptLine& k : kept) {
            QList<LineRef>& same = left[written(k.account, k.amount, k.dong, k.ho)];
            if (!same.isEmpty())
                matched.insert(k.sequence, same.takeFirst());
        }
        if (matched.size() > bestLines.size()) {
            bestLines = matched;
            best = i;
        }
    }
    if (best < 0)
        return true; // the batch is gone: the answer makes it again
    // The batch went again under another key and that send was answered:
    // an answer to the earlier send must not overwrite it.
    if (candidates[best].received)
        return refuseKey(d, QStringLiteral("다시 송신되어 이미 수신완료된 배치(%1)의 이전 "
                                           "송신에 대한 답이므로 반영하지 않았습니다.")
                                .arg(candidates[best].aptId));
    b.rowId = candidates[best].rowId;
    b.aptId = candidates[best].aptId;
    b.lines = bestLines;
    return true;
}

bool FileApplier::applyLine(const RecordView& rec, DataRecord& d)
{
    // Two answers to one line would count it twice in the batch's totals.
    const std::pair<qint64, int> answered{m_batch.rowId, d.sequence};
    if (m_answered.contains(answered))
        return fail(QString("자료번호 %1 의 답이 이 파일에 두 번 있어 파일을 반영하지 "
                            "않았습니다.")
                        .arg(d.sequence));
    m_answered.insert(answered);
    LineRef line;
    const auto it = m_batch.lines.constFind(d.sequence);
    if (it != m_batch.lines.constEnd()) {
        line = *it;
        noteAnswer(line.apt2Id, d);
    } else {
        // A line deleted after sending comes back from the answer.
        parseDetails(rec, d);
        bool ok = d.amount.isEmpty();
        const qint64 amount = ok ? 0 : d.amount.toLongLong(&ok);
        if (!ok || (!d.amount.isEmpty() && !shell::IsDigitText(d.amount)))
            return fail(QString("금액 [%1] 이 숫자가 아닙니다.").arg(d.amount));
        const QString dong = FitColumn(d.dong, 4);
        const QString ho = FitColumn(d.ho, 4);
        line.amount = amount;
        line.bankCode = FitColumn(d.bankCode, 2);
        m_insertLine.bindValue(0, m_batch.aptId);
        m_insertLine.bindValue(1, line.bankCode);
        m_insertLine.bindValue(2, FitColumn(d.account, 16));
        m_insertLine.bindValue(3, m_header.date.toString(Qt::ISODate));
        m_insertLine.bindValue(4, amount);
        m_insertLine.bindValue(5, d.outcome);
        m_insertLine.bindValue(6, d.resultCode);
        m_insertLine.bindValue(7, double(dong.toInt()));
        m_insertLine.bindValue(8, dong);
        m_insertLine.bindValue(9, double(ho.toInt()));
        m_insertLine.bindValue(10, ho);
        m_insertLine.bindValue(11, FitColumn(d.payer, 20));
        m_insertLine.bindValue(12, d.sequence);
        m_insertLine.bindValue(13, m_today);
        if (!m_insertLine.exec())
            return tableError(m_insertLine);
        line.apt2Id = m_insertLine.lastInsertId().toLongLong();
        m_batch.lines.insert(d.sequence, line);
    }
    ++m_batch.count;
    m_batch.total += line.amount;
    if (d.collected) {
        const int group = int(GroupOf(line.bankCode));
        ++m_batch.groupCount[group];
        m_batch.groupSum[group] += line.amount;
    }
    return true;
}

void FileApplier::noteAnswer(qint64 apt2Id, const DataRecord& d)
{
    const Answer answer{d.outcome, d.resultCode};
    auto it = m_answerIndex.constFind(answer);
    if (it == m_answerIndex.constEnd()) {
        it = m_answerIndex.insert(answer, int(m_answerKinds.size()));
        m_answerKinds.append(answer);
    }
    m_answers.emplace_back(apt2Id, *it);
}

bool FileApplier::writeAnswers()
{
    if (m_answers.empty())
        return true;
    // By line, the later answer last; then only each line's last answer.
    std::stable_sort(m_answers.begin(), m_answers.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    const auto sameLine = [](const auto& a, const auto& b) { return a.first == b.first; };
    std::reverse(m_answers.begin(), m_answers.end());
    m_answers.erase(std::unique(m_answers.begin(), m_answers.end(), sameLine), m_answers.end());
    std::reverse(m_answers.begin(), m_answers.end());

    QList<int> count(m_answerKinds.size(), 0);
    for (const auto& [id, answer] : m_answers)
        ++count[answer];

    // Each value is bound once for many lines, so it is checked once.
    store::TextLimitsSetAside limits(m_db, "Apt2", {"IcheYebu", m_resultColumn});
    if (!limits.ok())
        return fail("이체자료를 기록할 수 없습니다. " + limits.error().text());
    for (int answer = 0; answer < count.size(); ++answer) {
        const Answer& a = m_answerKinds[answer];
        if (count[answer] > 0 &&
            (!limits.check("IcheYebu", a.outcome) || !limits.check(m_resultColumn, a.resultCode)))
            return fail("이체자료를 기록할 수 없습니다. " + limits.error().text());
    }
    const auto bindAnswer = [](store::Statement& s, const Answer& a) {
        s.bind(1, a.outcome);
        s.bind(2, a.resultCode);
    };

    // The answer most lines have goes over each run of consecutive line ids,
    // as a range that SQLite walks like a plain UPDATE of the table; the
    // lines of the other answers in those runs are then written again with
    // their own, each answer's lines as one JSON array.
    const int common = int(std::max_element(count.cbegin(), count.cend()) - count.cbegin());
    bindAnswer(*m_updateRange, m_answerKinds[common]);
    const auto writeRun = [&](size_t begin, size_t end) {
        m_updateRange->bind(4, m_answers[begin].first);
        m_updateRange->bind(5, m_answers[end - 1].first);
        return m_updateRange->exec() || tableError(*m_updateRange);
    };
    if (!ForEachIdRun(m_answers, writeRun, [](const auto& answer) { return answer.first; }))
        return false;
    QList<QByteArray> ids(m_answerKinds.size());
    for (const auto& [id, answer] : m_answers) {
        if (answer == common)
            continue;
        ids[answer] += ids[answer].isEmpty() ? '[' : ',';
        ids[answer] += QByteArray::number(id);
    }
    for (int answer = 0; answer < ids.size(); ++answer) {
        if (ids[answer].isEmpty())
            continue;
        bindAnswer(*m_updateLines, m_answerKinds[answer]);
        m_updateLines->bindUtf8(4, ids[answer] + ']');
        if (!m_updateLines->exec())
            return tableError(*m_updateLines);
    }
    if (!limits.restore())
        return fail("이체자료를 기록할 수 없습니다. " + limits.error().text());
    return true;
}

bool FileApplier::closeBatch()
{
    const OpenBatch& b = m_batch;
    QSqlQuery q(m_db);
    q.prepare("UPDATE Apt1 SET E1TotNo = ?, E1TotMon = ?, E1JunNo = ?, E1JunMon = ?, E1JoNo = ?, "
              "E1JoMon = ?, E1SucNo = ?, E1SucMon = ?, TotNo = ?, TotMoney = ?, State = ?, "
              "Rdate = ? WHERE rowid = ?");
    q.addBindValue(b.count);
    q.addBindValue(b.total);
    for (int g = 0; g < 3; ++g) {
        q.addBindValue(b.groupCount[g]);
        q.addBindValue(b.groupSum[g]);
    }
    q.addBindValue(b.count);
    q.addBindValue(b.total);
    q.addBindValue(store::StoredValue(store::BatchState::Received));
    q.addBindValue(m_today);
    q.addBindValue(b.rowId);
    if (!q.exec())
        return tableError(q);
    m_items.append({KindTransfer, m_header.name, m_fileName, int(b.count), b.total});
    m_batch = OpenBatch{};
    return true;
}

bool FileApplier::trailer(const RecordView& rec)
{
    if (!m_header.open)
        return fail(QStringLiteral("헤더 레코드 없이 종료 레코드가 있습니다."));
    if (m_header.known && !checkTrailer(rec))
        return false;
    if (m_batch.active && !closeBatch())
        return false;
    m_header = Header{};
    return true;
}

// The 200-byte trailer repeats the request's count and totals, which the
// answer's data records must give again: a record copied or dropped on the
// way would otherwise change the batch's totals unseen. (The 80-byte
// trailer carries nothing to compare.)
bool FileApplier::checkTrailer(const RecordView& rec)
{
    if (m_layout != Layout::Wide)
        return true;
    const WideTrailer t = ReadWideTrailer(rec.bytes());
    const Header& h = m_header;
    bool same = t.records == h.count + 2 && t.count == h.count && t.total == h.total;
    for (int g = 0; g < 3; ++g)
        same = same && t.groupCount[g] == h.groupCount[g] && t.groupSum[g] == h.groupSum[g];
    if (same)
        return true;
    const QLocale korean(QLocale::Korean);
    const qint64 stated = t.count;
    const qint64 statedTotal = t.total;
    return fail(QString("종료 레코드의 건수와 금액(%1건 %2원)이 자료 레코드(%3건 %4원)와 달라 "
                        "파일을 반영하지 않았습니다.")
                    .arg(stated < 0 ? QStringLiteral("?") : korean.toString(stated),
                         statedTotal < 0 ? QStringLiteral("?") : korean.toString(statedTotal),
                         korean.toString(h.count), korean.toString(h.total)));
}

// Adds a data record of a 200-byte block to what its trailer must state.
bool FileApplier::countForTrailer(const RecordView& rec)
{
    const QString amountText = rec.trimmed(42, 13);
    bool ok = false;
    const qint64 amount = amountText.toLongLong(&ok);
    if (!ok || !shell::IsDigitText(amountText))
        return fail(QString("금액 [%1] 이 숫자가 아닙니다.").arg(amountText));
    const int group = int(GroupOf(rec.field(23, 3).right(2).trimmed()));
    ++m_header.count;
    m_header.total += amount;
    ++m_header.groupCount[group];
    m_header.groupSum[group] += amount;
    return true;
}

bool FileApplier::data(const RecordView& rec)
{
    if (!m_header.open)
        return fail(QStringLiteral("헤더 레코드 없이 자료 레코드가 있습니다."));
    if (!m_header.known)
        return true; // the block is left out
    if (m_layout == Layout::Wide && !countForTrailer(rec))
        return false;
    DataRecord d;
    bool ignored = false;
    if (!parseData(rec, d, ignored))
        return false;
    if (ignored)
        return true;
    if ((!m_batch.active || d.batchNumber != m_batch.number || d.sendTime != m_batch.sendTime) &&
        !selectBatch(d))
        return false;
    return applyLine(rec, d);
}

bool FileApplier::apply()
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return fail("파일을 읽을 수 없습니다. " + file.errorString());
    const QByteArray bytes = file.readAll();
    m_layout = bytes.startsWith("S999012") ? Layout::Wide : Layout::Narrow;
    const RecordSplit split = SplitRecords(bytes, m_layout == Layout::Wide ? 198 : 78);
    if (!split.error.isEmpty())
        return fail(split.error);
    if (!prepare())
        return false;

    const bool walked = DispatchRecords(
        split.records, m_layout == Layout::Wide ? RecordMarks::Letters : RecordMarks::Digits,
        m_recordNo, [this](const RecordView& rec) { return header(rec); },
        [this](const RecordView& rec) { return data(rec); },
        [this](const RecordView& rec) { return trailer(rec); });
    if (!walked)
        return false;
    if (m_header.open)
        return fail(MissingTrailerMessage());
    return writeAnswers();
}

} // namespace

ResultRun ApplyTransferResults(store::TDM1& dm, const QString& recvDir, const QString& keptSendDir)
{
    return ApplyTransferResults(dm, NamedByCode(ReceivedFiles(dm.db(), "APIN", recvDir)),
                                keptSendDir);
}

ResultRun ApplyTransferResults(store::TDM1& dm, const QList<ResultFile>& files,
                               const QString& keptSendDir)
{
    if (files.isEmpty())
        return {};
    // Read once for the whole run, and only when an answer needs it.
    KeptRequests kept(keptSendDir);
    return ApplyEachFile(dm, files, QStringLiteral("이체자료를 기록할 수 없습니다. "),
                         [&](QSqlDatabase&, const ResultFile& file) {
                             // The applier's statements end before the commit.
                             FileApplier applier(dm, file, kept);
                             FileApplied applied;
                             applied.ok = applier.apply();
                             applied.reason = applier.reason();
                             applied.engine = applier.engine();
                             applied.items = applier.items();
                             applied.notes = applier.notes();
                             return applied;
                         });
}

} // namespace edi
