#include "edi/transfer_request.h"
#include "store/database.h"

#include "audit/record.h"

#include "calendar/business_calendar.h"
#include "codes/institution.h"
#include "edi/bank_groups.h"
#include "edi/fixed_record.h"
#include "edi/id_runs.h"
#include "edi/request_check.h"
#include "platform/result.h"
#include "shell/envelope_line.h"
#include "shell/log.h"
#include "shell/text_helpers.h"
#include "shell/ui.h"
#include "shell/wait_scope.h"
#include "store/statement.h"
#include "store/states.h"
#include "store/transaction_guard.h"

#include <QFile>
#include <QHash>
#include <QSqlError>
#include <QSqlQuery>

#include <limits>
#include <optional>
#include <vector>

namespace edi {
namespace {

struct Line
{
    qint64 apt2Id = 0;
    QString bankCode;
    QString account; // trimmed, without "-"
    qint64 amount = 0;
    QString dong;
    QString ho;
    QString icheDate; // as stored
};

struct Batch
{
    int aptId = 0;
    QString institution;
    QString icheDateText; // as stored, copied into the lines
    QDate icheDate;
    QString collectingAccount;
    codes::Institution inst;
    QList<Line> lines;
};

// Counts and sums of one file, overall and by bank group.
struct FileTotals
{
    qint64 count = 0;
    qint64 total = 0;
    qint64 digitSum = 0;
    qint64 groupCount[3] = {0, 0, 0};
    qint64 groupSum[3] = {0, 0, 0};
};

QString batchName(const Batch& b)
{
    return QString("기관코드 [%1] 이체일자 %2 자료번호 %3")
        .arg(b.institution, b.icheDateText)
        .arg(b.aptId);
}

QString lineName(const Batch& b, const Line& l)
{
    return batchName(b) + QString(", 동 %1 호 %2").arg(l.dong, l.ho);
}

// An amount stored as something other than a whole number.
std::optional<qint64> wholeMoney(const QString& v)
{
    bool ok = false;
    const qint64 n = v.toLongLong(&ok);
    if (ok)
        return n;
    const double d = v.toDouble(&ok);
    if (ok && d == double(qint64(d)))
        return qint64(d);
    return std::nullopt;
}

// A record whose number is wider than its field is refused, never cut.
platform::Result<QByteArray> checked(const RecordBuilder& r)
{
    if (!r.tooWide().isEmpty())
        return platform::Fail(r.tooWide());
    return r.record();
}

platform::Result<QByteArray> sRecord(const Batch& b, const TransferRequestRun& run, int divisor)
{
    RecordBuilder r;
    r.literal("S9990121")
        .text(b.institution, 10)
        .literal("221")
        .text(b.icheDate.toString("yyyyMMdd"), 8)
        .text(run.prepared.date().toString("yyyyMMdd"), 8)
        .number(divisor, 4)
        .text(b.collectingAccount, 16)
        .blanks(141);
    return checked(r);
}

// Appends the line's record to `file`; refused when a number is too wide.
platform::Result<> dRecord(QByteArray& file, const Batch& b, const Line& l, qint64 sequence,
                           const QString& key, int divisor)
{
    const int lastDigit = l.account.back().digitValue();
    RecordBuilder r(file);
    r.literal("D")
        .number(sequence, 7)
        .text(b.institution, 10)
        .literal("12999")
        .text(TransferBankCode(l.bankCode), 3)
        .text(l.account, 16)
        .number(l.amount, 13)
        .zeros(13)
        .blanks(12)
        .literal("0")
        .blanks(13)
        .text(l.dong + l.ho, 20)
        .text(key, 5)
        .text(l.dong, 5)
        .text(l.ho, 5)
        .blanks(20)
        .text(RecordCheckValue(l.amount, b.icheDate.day(), lastDigit, divisor), 4)
        .blanks(45)
        .literal("\r\n");
    if (!r.tooWide().isEmpty())
        return platform::Fail(r.tooWide());
    return {};
}

platform::Result<QByteArray> eRecord(const FileTotals& t, int divisor)
{
    RecordBuilder r;
    r.literal("E").number(t.count + 2, 7).number(t.count, 7).number(t.total, 15);
    for (int g = 0; g < 3; ++g)
        r.number(t.groupCount[g], 7).number(t.groupSum[g], 15);
    r.text(FileCheckValue(t.count, t.total, t.digitSum, divisor), 4).blanks(98);
    return checked(r);
}

class RequestWriter
{
public:
    RequestWriter(QSqlDatabase db, shell::Ui& ui, const TransferRequestRun& run)
        : m_db(std::move(db)), m_ui(ui), m_run(run)
    {
    }

    TransferRequestResult run();

private:
    bool loadBatches();
    bool loadLines();
    bool checkLines();
    bool writeFiles();
    // Reads back the files written; nullopt when that cannot be done,
    // else whether every batch passed (those that did not are refused).
    std::optional<bool> checkFiles();
    void showRefused();
    void refuse(const Batch& b, const QString& line, const QString& what);
    void leaveOutRefused();
    struct NumberedLine
    {
        qint64 id;
        qint64 number;
    };
    bool numberLines(const std::vector<NumberedLine>& lines, store::Statement& range,
                     store::Statement& list);
    bool flush(const QString& path, const QByteArray& bytes);
    bool fail(const QString& detail);
    // A write the table refused, through a QSqlQuery or a store::Statement.
    template <typename Query> bool tableError(const Query& q)
    {
        return fail("이체자료를 기록할 수 없습니다.\r" + store::WriteErrorMessage(q.lastError()));
    }

    QSqlDatabase m_db;
    shell::Ui& m_ui;
    const TransferRequestRun& m_run;
    QList<Batch> m_batches;
    TransferRequestResult m_result;
    QList<Batch> m_all; // every batch loaded, for naming the refused
    int m_divisor = 0;
    QList<QList<int>> m_fileBatches; // AptIDs written into each file
    // Batches the bank would refuse, with what is wrong, in order.
    QList<int> m_refusedOrder;
    QHash<int, QStringList> m_refused;
};

void RequestWriter::refuse(const Batch& b, const QString& line, const QString& what)
{
    if (!m_refused.contains(b.aptId))
        m_refusedOrder.append(b.aptId);
    m_refused[b.aptId].append(line.isEmpty() ? what : line + ": " + what);
}

void RequestWriter::leaveOutRefused()
{
    m_batches.removeIf([&](const Batch& b) { return m_refused.contains(b.aptId); });
}

bool RequestWriter::fail(const QString& detail)
{
    m_ui.ShowError(BuildErrorMessage() + "\r\r" + detail);
    return false;
}

bool RequestWriter::loadBatches()
{
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    q.prepare("SELECT GiganID10, IcheDate, AptID, MIN(MoBankNo)\n"
              "FROM Apt1\n"
              "WHERE State = ?\n"
              "GROUP BY GiganID10, IcheDate, AptID\n"
              "ORDER BY GiganID10, IcheDate, AptID");
    q.addBindValue(store::StoredValue(store::BatchState::Waiting));
    if (!q.exec())
        return tableError(q);
    // The calendar as it stands now: a day announced or closed by the branch
    // after the batch was saved must not reach a bank that does not work.
    calendar::BusinessCalendar closures;
    if (const platform::Result<> loaded = closures.load(m_db); !loaded)
        return fail("휴일표를 읽을 수 없습니다.\r" + loaded.error());
    codes::Institutions institutions(m_db, m_ui);
    QHash<QString, std::optional<codes::Institution>> known;
    while (q.next()) {
        Batch b;
        b.institution = q.value(0).toString();
        b.icheDateText = q.value(1).toString();
        b.icheDate = QDate::fromString(b.icheDateText, Qt::ISODate);
        b.aptId = q.value(2).toInt();
        b.collectingAccount = shell::RemoveChar(q.value(3).toString().trimmed(), '-');
        if (!known.contains(b.institution)) {
            const platform::Result<std::optional<codes::Institution>> found =
                institutions.FindByCode(b.institution);
            if (!found)
                return fail(found.error());
            known.insert(b.institution, *found);
        }
        const std::optional<codes::Institution>& inst = known.value(b.institution);
        if (!inst || b.institution.trimmed().isEmpty()) {
            m_result.skipped.append(batchName(b));
            continue;
        }
        if (b.icheDate.isValid() && closures.isHoliday(b.icheDate)) {
            const calendar::CalendarDay day = closures.describe(b.icheDate);
            m_result.closed.append(batchName(b) +
                                   (day.name.isEmpty() ? QString() : " (" + day.name + ")"));
            continue;
        }
        b.inst = *inst;
        m_batches.append(b);
    }
    return true;
}

bool RequestWriter::loadLines()
{
    QHash<int, qsizetype> byId;
    for (qsizetype i = 0; i < m_batches.size(); ++i)
        byId.insert(m_batches[i].aptId, i);
    // Read straight from the engine: a month's lines are read here at once.
    // Naming the index's collation lets SQLite find each batch through the
    // index and read it in the index's order, without sorting the month.
    store::Statement q(m_db,
                       "SELECT AptID, Apt2ID, BankCode, BankNo, IcheMoney, Dong, Ho, "
                       "IcheDate, typeof(IcheMoney) = 'integer'\n"
                       "FROM Apt2\n"
                       "WHERE AptID COLLATE NOCASE IN (SELECT AptID FROM Apt1 WHERE State = ?1)\n"
                       "ORDER BY AptID COLLATE NOCASE, Apt2ID");
    if (!q.isValid())
        return tableError(q);
    q.bind(1, store::StoredValue(store::BatchState::Waiting).toLongLong());
    while (q.next()) {
        const auto it = byId.constFind(int(q.int64(0)));
        if (it == byId.constEnd())
            continue; // a batch left out
        Batch& b = m_batches[*it];
        Line l;
        l.apt2Id = q.int64(1);
        l.bankCode = q.text(2).trimmed();
        l.account = shell::RemoveChar(q.text(3).trimmed(), '-');
        l.dong = q.text(5).trimmed();
        l.ho = q.text(6).trimmed();
        l.icheDate = q.text(7);
        const std::optional<qint64> amount = q.isNull(4)  ? 0
                                             : q.int64(8) ? q.int64(4)
                                                          : wholeMoney(q.text(4));
        if (!amount)
            return fail("이체금액이 올바르지 않습니다.\r" + lineName(b, l));
        l.amount = *amount;
        b.lines.append(l);
    }
    if (q.lastError().isValid())
        return tableError(q);
    return true;
}

bool RequestWriter::checkLines()
{
    if (m_batches.size() > kMaxBatchesPerRun)
        return fail(QString("한 번에 송신할 수 있는 이체자료는 %1건까지입니다. (송신대기 %2건)\r"
                            "일부 이체자료를 송신불가로 바꾼 후 다시 송신하십시오.")
                        .arg(kMaxBatchesPerRun)
                        .arg(m_batches.size()));
    // A line that has no record form keeps its batch behind, as a record
    // the bank would refuse does.
    for (const Batch& b : m_batches) {
        if (!b.icheDate.isValid())
            refuse(b, {}, "이체일자가 올바르지 않습니다.");
        for (const Line& l : b.lines) {
            const QString line =
                QString("동 %1 호 %2").arg(shell::ShowControls(l.dong), shell::ShowControls(l.ho));
            // The check value needs the amount as a 32-bit number and the
            // account's last digit; a negative amount has no record form.
            if (l.amount < 0 || l.amount > std::numeric_limits<qint32>::max())
                refuse(b, line,
                       QString("이체금액을 송신 자료로 만들 수 없습니다. (금액 %1)").arg(l.amount));
            if (l.account.isEmpty() || l.account.back() < '0' || l.account.back() > '9')
                refuse(b, line,
                       QString("계좌번호가 숫자로 끝나지 않습니다. (계좌번호 %1)")
                           .arg(shell::ShowControls(l.account)));
        }
    }
    leaveOutRefused();
    return true;
}

bool RequestWriter::flush(const QString& path, const QByteArray& bytes)
{
    m_result.files.append(path); // deleted again if the run fails
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size() || !file.flush()) {
        return fail("송신 파일을 쓸 수 없습니다.\r" + path + "\r" + file.errorString());
    }
    return true;
}

bool RequestWriter::writeFiles()
{
    const int divisor = m_divisor;
    m_result.divisor = divisor;
    const QString sendDate = m_run.prepared.date().toString(Qt::ISODate);
    const QString sendTime = m_run.prepared.time().toString("HH:mm:ss");

    QSqlQuery batchUpdate(m_db);
    if (!batchUpdate.prepare("UPDATE Apt1 SET SendDate = ?, Stime = ?, DataNo = ? WHERE AptID = ?"))
        return tableError(batchUpdate);
    // Lines mostly carry their batch's date already; leaving the date alone
    // then spares the index over it. Those take their numbers a few
    // statements per batch (numberLines), not one per line: a statement's
    // own cost is several times that of the line's write.
    store::Statement lineRange(m_db, "UPDATE Apt2 SET DataNo = ?1 + (Apt2ID - ?2) "
                                     "WHERE Apt2ID BETWEEN ?2 AND ?3");
    if (!lineRange.isValid())
        return tableError(lineRange);
    store::Statement lineList(m_db, "UPDATE Apt2 SET DataNo = ?1 + j.key "
                                    "FROM json_each(?2) AS j WHERE Apt2.Apt2ID = j.value");
    if (!lineList.isValid())
        return tableError(lineList);
    store::Statement lineDateUpdate(m_db,
                                    "UPDATE Apt2 SET DataNo = ?, IcheDate = ? WHERE Apt2ID = ?");
    if (!lineDateUpdate.isValid())
        return tableError(lineDateUpdate);

    int fileOrdinal = 0;
    int batchOrdinal = 1;
    QByteArray file;
    FileTotals totals;
    qint64 sequence = 1;
    const Batch* current = nullptr;
    const auto closeFile = [&]() {
        const platform::Result<QByteArray> e = eRecord(totals, divisor);
        if (!e)
            return fail(batchName(*current) + "\r" + e.error());
        file += *e + "\r\n";
        return flush(m_run.sendDir + "Apt_" + QString::number(fileOrdinal), file);
    };

    for (const Batch& b : m_batches) {
        if (!current || b.institution != current->institution || b.icheDate != current->icheDate) {
            if (current && !closeFile())
                return false;
            ++fileOrdinal;
            m_fileBatches.append(QList<int>());
            file.clear();
            totals = FileTotals{};
            sequence = 1;
            current = &b;
            shell::Envelope envelope;
            envelope.senderId = m_run.senderId;
            envelope.fileCode = b.inst.APOUT;
            envelope.bankId = b.inst.APBCODE;
            file.reserve((b.lines.size() + 3) * 200);
            const platform::Result<QByteArray> head = shell::EnvelopeLine(envelope);
            const platform::Result<QByteArray> s = sRecord(b, m_run, divisor);
            if (!head || !s)
                return fail(batchName(b) + "\r" + (head ? s.error() : head.error()));
            file += *head + "\r\n";
            file += *s + "\r\n";
        }

        batchUpdate.bindValue(0, sendDate);
        batchUpdate.bindValue(1, sendTime);
        batchUpdate.bindValue(2, batchOrdinal);
        batchUpdate.bindValue(3, b.aptId);
        if (!batchUpdate.exec())
            return tableError(batchUpdate);

        const QString key = BatchKey(m_run.prepared.time(), batchOrdinal);
        qint64 batchSum = 0;
        std::vector<NumberedLine> dated; // written with their batch's date
        dated.reserve(b.lines.size());
        for (const Line& l : b.lines) {
            if (const platform::Result<> d = dRecord(file, b, l, sequence, key, divisor); !d)
                return fail(lineName(b, l) + "\r" + d.error());
            if (l.icheDate == b.icheDateText) {
                dated.push_back({l.apt2Id, sequence});
            } else {
                lineDateUpdate.bind(1, sequence);
                lineDateUpdate.bind(2, b.icheDateText);
                lineDateUpdate.bind(3, l.apt2Id);
                if (!lineDateUpdate.exec())
                    return tableError(lineDateUpdate);
            }
            const int group = int(GroupOf(l.bankCode));
            m_result.lineIds.append(l.apt2Id);
            ++totals.count;
            totals.total += l.amount;
            totals.digitSum += l.account.back().digitValue();
            ++totals.groupCount[group];
            totals.groupSum[group] += l.amount;
            batchSum += l.amount;
            ++sequence;
        }
        if (!numberLines(dated, lineRange, lineList))
            return false;
        m_result.items.append(
            {KindTransfer, b.inst.Name, b.inst.APOUT, int(b.lines.size()), batchSum});
        m_result.batchIds.append(b.aptId);
        m_result.batchFiles.append(int(m_result.files.size())); // its file is the next flushed
        m_fileBatches.last().append(b.aptId);
        m_result.lineCount += int(b.lines.size());
        ++batchOrdinal;
    }
    return !current || closeFile();
}

bool RequestWriter::numberLines(const std::vector<NumberedLine>& lines, store::Statement& range,
                                store::Statement& list)
{
    // A run of lines that lie one after another in the table is numbered
    // by one range, which SQLite walks like a plain UPDATE of the table;
    // the other lines go in one JSON array, whose i-th id is numbered
    // first + i (null where the number belongs to no line here).
    constexpr size_t kShortestRange = 8;
    QByteArray ids;
    qint64 first = 0;
    qint64 next = 0;
    const auto write = [&](size_t begin, size_t end) {
        if (end - begin >= kShortestRange) {
            range.bind(1, lines[begin].number);
            range.bind(2, lines[begin].id);
            range.bind(3, lines[end - 1].id);
            return range.exec() || tableError(range);
        }
        for (size_t k = begin; k < end; ++k) {
            if (ids.isEmpty()) {
                ids = "[";
                first = next = lines[k].number;
            }
            for (; next < lines[k].number; ++next)
                ids += "null,";
            ids += QByteArray::number(lines[k].id) + ',';
            ++next;
        }
        return true;
    };
    if (!ForEachIdRun(lines, write, &NumberedLine::id, &NumberedLine::number))
        return false;
    if (ids.isEmpty())
        return true;
    ids.back() = ']';
    list.bind(1, first);
    list.bindUtf8(2, ids);
    return list.exec() || tableError(list);
}

TransferRequestResult RequestWriter::run()
{
    shell::WaitScope wait(m_ui, QStringLiteral("송신 자료를 생성중입니다."));
    if (!loadBatches())
        return m_result;
    if (!m_result.skipped.isEmpty())
        m_ui.ShowInfo(
            "이용자설정에 등록되지 않은 기관의 이체자료는 송신 자료에서 제외하였습니다.\r" +
            m_result.skipped.join('\r'));
    if (!m_result.closed.isEmpty())
        m_ui.ShowInfo(ClosedDateMessage() + "\r" + m_result.closed.join('\r'));
    if (m_batches.isEmpty()) {
        m_result.ok = true;
        return m_result;
    }
    if (!loadLines())
        return m_result;
    m_all = m_batches;
    if (!checkLines())
        return m_result;
    m_divisor = m_run.divisor > 0 ? m_run.divisor : shell::RandomPrime();

    // A batch found wrong in the files is left out and the run written
    // again without it, so that the files and numbers that leave are those
    // of the batches that go.
    for (;;) {
        if (m_batches.isEmpty()) {
            m_result.divisor = m_divisor;
            break;
        }
        bool written = false;
        bool refusedSome = false;
        {
            store::TransactionGuard tx(m_db);
            // What the files carry is written down by the program; the send
            // is the record's row.
            audit::Quiet quiet;
            if (!tx.active()) {
                fail("이체자료를 기록할 수 없습니다.\r" + store::WriteErrorMessage(m_db.lastError()));
            } else if (writeFiles()) {
                const std::optional<bool> passed = checkFiles();
                if (passed && *passed) {
                    written = tx.commit();
                    if (!written)
                        fail("이체자료를 기록할 수 없습니다.\r" + store::WriteErrorMessage(m_db.lastError()));
                }
                refusedSome = passed && !*passed;
            }
        }
        if (written)
            break;
        for (const QString& path : m_result.files)
            QFile::remove(path);
        TransferRequestResult again;
        again.skipped = m_result.skipped;
        again.closed = m_result.closed;
        m_result = again;
        m_fileBatches.clear();
        if (!refusedSome) {
            showRefused();
            return m_result;
        }
        leaveOutRefused();
    }
    showRefused();
    m_result.ok = true;
    return m_result;
}

void RequestWriter::showRefused()
{
    if (m_refusedOrder.isEmpty())
        return;
    QHash<int, const Batch*> byId;
    for (const Batch& b : m_all)
        byId.insert(b.aptId, &b);
    QStringList text;
    for (int aptId : m_refusedOrder) {
        const Batch* b = byId.value(aptId);
        QString entry = b ? batchName(*b) : QString("자료번호 %1").arg(aptId);
        m_result.refused.append(entry);
        const QStringList& faults = m_refused.value(aptId);
        constexpr int kShown = 10;
        for (qsizetype i = 0; i < faults.size() && i < kShown; ++i)
            entry += "\r    " + faults[i];
        if (faults.size() > kShown)
            entry += QString("\r    외 %1건").arg(faults.size() - kShown);
        text.append(entry);
    }
    const QString message = RefusedBatchMessage() + "\r" + text.join('\r');
    shell::WriteLog(QString(message).replace('\r', ' '), true);
    m_ui.ShowError(message);
}

std::optional<bool> RequestWriter::checkFiles()
{
    RequestChecker checker(m_db, m_run.prepared);
    if (const platform::Result<> loaded = checker.load(); !loaded) {
        fail(loaded.error());
        return std::nullopt;
    }
    QHash<int, const Batch*> byId;
    for (const Batch& b : m_batches)
        byId.insert(b.aptId, &b);
    bool passed = true;
    for (qsizetype i = 0; i < m_result.files.size(); ++i) {
        QFile file(m_result.files[i]);
        if (!file.open(QIODevice::ReadOnly)) {
            fail("송신 파일을 읽을 수 없습니다.\r" + file.fileName() + "\r" + file.errorString());
            return std::nullopt;
        }
        const RequestFileCheck checked = checker.check(file.readAll());
        if (!checked.unread.isEmpty()) {
            fail(checked.unread);
            return std::nullopt;
        }
        for (const RequestFault& f : checked.faults) {
            // A fault of the file as a whole, or of a batch this run did not
            // write, keeps every batch in the file.
            const QList<int> batches = f.aptId != 0 && byId.contains(f.aptId)
                                           ? QList<int>{f.aptId}
                                           : m_fileBatches.value(i);
            for (int aptId : batches) {
                if (const Batch* b = byId.value(aptId)) {
                    refuse(*b, f.line, f.what);
                    passed = false;
                }
            }
        }
    }
    return passed;
}

} // namespace

QString BuildErrorMessage()
{
    return QStringLiteral("송신 자료 생성중 오류가 발생하였습니다.");
}

QString RefusedBatchMessage()
{
    return QStringLiteral("송신 전 점검에서 은행이 받지 않을 내용이 발견된 이체자료는 송신 "
                          "자료에서 제외하였습니다. 고친 후 다시 송신하십시오.");
}

QString ClosedDateMessage()
{
    return QStringLiteral("이체일자가 휴무일인 이체자료는 송신 자료에서 제외하였습니다. "
                          "이체일자를 바꾼 후 다시 송신하십시오.");
}

QString BatchKey(const QTime& prepared, int ordinal)
{
    const qint64 value =
        qint64(prepared.hour() * 10000 + prepared.minute() * 100 + prepared.second()) * 1000 +
        ordinal;
    return shell::Base62Text(value);
}

QString RecordCheckValue(qint64 amount, int day, int lastDigit, int divisor)
{
    return shell::FractionDigits(amount + day + lastDigit, divisor);
}

QString FileCheckValue(qint64 count, qint64 total, qint64 digitSum, int divisor)
{
    const double v = double(count + total + digitSum) / double(count + divisor);
    const QString text = QString::asprintf("%.18f", v);
    return text.mid(text.indexOf('.') + 1, 4);
}

TransferRequestResult BuildTransferRequests(QSqlDatabase db, shell::Ui& ui,
                                            const TransferRequestRun& run)
{
    return RequestWriter(std::move(db), ui, run).run();
}

} // namespace edi
