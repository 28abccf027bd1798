#include "edi/request_check.h"
#include "store/database.h"

#include "calendar/check_send_date.h"
#include "calendar/send_cutoffs.h"
#include "shell/codec.h"
#include "shell/text_helpers.h"
#include "store/states.h"

#include <QHash>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <cmath>
#include <tuple>
#include <optional>

namespace edi {
namespace {

// The layout as the clearing centre publishes it; the writer has its own.
constexpr int kEnvelopeWidth = 61;
constexpr int kRecordWidth = 198;

enum class Kind {
    Literal, // exactly the given text
    Digits,  // "0"-"9" only
    Blanks,
    Zeros,
    Text,           // any character but a control character
    Account,        // digits, left-aligned, blank-filled; never empty
    AccountOrBlank, // the same, or all blanks
    Key,            // letters and digits, left-aligned, blank-filled; never empty
};

struct FieldSpec
{
    int offset;
    int width;
    Kind kind;
    const char* name;
    const char* literal = nullptr;
};

constexpr FieldSpec kHeader[] = {
    {0, 8, Kind::Literal, "레코드 구분", "S9990121"},
    {8, 10, Kind::Text, "기관코드"},
    {18, 3, Kind::Literal, "업무 구분", "221"},
    {21, 8, Kind::Digits, "이체일자"},
    {29, 8, Kind::Digits, "작성일자"},
    {37, 4, Kind::Digits, "검증 제수"},
    {41, 16, Kind::AccountOrBlank, "모계좌번호"},
    {57, 141, Kind::Blanks, "여백"},
};

constexpr FieldSpec kData[] = {
    {0, 1, Kind::Literal, "레코드 구분", "D"},
    {1, 7, Kind::Digits, "일련번호"},
    {8, 10, Kind::Text, "기관코드"},
    {18, 5, Kind::Literal, "업무 구분", "12999"},
    {23, 3, Kind::Digits, "은행코드"},
    {26, 16, Kind::Account, "계좌번호"},
    {42, 13, Kind::Digits, "이체금액"},
    {55, 13, Kind::Zeros, "예비"},
    {68, 12, Kind::Blanks, "여백"},
    {80, 1, Kind::Literal, "예비", "0"},
    {81, 13, Kind::Blanks, "여백"},
    {94, 20, Kind::Text, "납부자번호"},
    {114, 5, Kind::Key, "자료키"},
    {119, 5, Kind::Text, "동"},
    {124, 5, Kind::Text, "호"},
    {129, 20, Kind::Blanks, "여백"},
    {149, 4, Kind::Digits, "검증값"},
    {153, 45, Kind::Blanks, "여백"},
};

constexpr FieldSpec kTrailer[] = {
    {0, 1, Kind::Literal, "레코드 구분", "E"},
    {1, 7, Kind::Digits, "전체 레코드 수"},
    {8, 7, Kind::Digits, "자료 레코드 수"},
    {15, 15, Kind::Digits, "이체금액 합계"},
    {30, 7, Kind::Digits, "중앙은행 건수"},
    {37, 15, Kind::Digits, "중앙은행 금액"},
    {52, 7, Kind::Digits, "회원은행 건수"},
    {59, 15, Kind::Digits, "회원은행 금액"},
    {74, 7, Kind::Digits, "기타은행 건수"},
    {81, 15, Kind::Digits, "기타은행 금액"},
    {96, 4, Kind::Digits, "검증값"},
    {100, 98, Kind::Blanks, "여백"},
};

template <size_t N> constexpr bool tiles(const FieldSpec (&fields)[N])
{
    int at = 0;
    for (const FieldSpec& f : fields) {
        if (f.offset != at)
            return false;
        at += f.width;
    }
    return at == kRecordWidth;
}
static_assert(tiles(kHeader) && tiles(kData) && tiles(kTrailer));

// The bank codes of the D record that stand for a group of banks.
constexpr const char* kCentralBankCode = "011";
constexpr const char* kMemberBankCode = "012";

bool isControl(unsigned char b)
{
    return b < 0x20 || b == 0x7f;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isAlnum(char c)
{
    return isDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// A field as a message quotes it: without the blanks that fill it.
QString shown(QByteArray bytes)
{
    while (bytes.endsWith(' '))
        bytes.chop(1);
    return shell::ShowControls(shell::FromCp949(bytes));
}

// A value, left-aligned and blank-filled, whose characters are all `ok`.
template <typename Ok> bool leftAligned(QByteArrayView v, bool mayBeEmpty, Ok&& ok)
{
    qsizetype end = v.size();
    while (end > 0 && v.at(end - 1) == ' ')
        --end;
    if (end == 0)
        return mayBeEmpty;
    for (qsizetype i = 0; i < end; ++i)
        if (!ok(v.at(i)))
            return false;
    return true;
}

// What is wrong with one field; empty when nothing is.
QString fieldFault(const QByteArray& record, const FieldSpec& f)
{
    // Read in place; a fault's message is the only text made.
    const qsizetype from = qMin<qsizetype>(f.offset, record.size());
    const QByteArrayView v =
        QByteArrayView(record).sliced(from, qMin<qsizetype>(f.width, record.size() - from));
    const auto name = [&f] { return QString::fromUtf8(f.name); };
    const auto shown = [&v] { return edi::shown(v.toByteArray()); };
    for (char c : v)
        if (isControl(static_cast<unsigned char>(c)))
            return QString("%1에 제어문자가 있습니다. [%2]").arg(name(), shown());
    const auto all = [&](auto&& ok) { return std::all_of(v.begin(), v.end(), ok); };
    switch (f.kind) {
    case Kind::Literal:
        return v == QByteArrayView(f.literal)
                   ? QString()
                   : QString("%1이 %2이 아닙니다. [%3]").arg(name(), f.literal, shown());
    case Kind::Digits:
        return all(isDigit) ? QString()
                            : QString("%1에 숫자가 아닌 문자가 있습니다. [%2]").arg(name(), shown());
    case Kind::Blanks:
        return all([](char c) { return c == ' '; })
                   ? QString()
                   : QString("%1에 공백이 아닌 문자가 있습니다. [%2]").arg(name(), shown());
    case Kind::Zeros:
        return all([](char c) { return c == '0'; })
                   ? QString()
                   : QString("%1에 0이 아닌 문자가 있습니다. [%2]").arg(name(), shown());
    case Kind::Text:
        return {};
    case Kind::Account:
    case Kind::AccountOrBlank:
        return leftAligned(v, f.kind == Kind::AccountOrBlank, isDigit)
                   ? QString()
                   : QString("%1는 숫자만으로 되어 있어야 합니다. [%2]").arg(name(), shown());
    case Kind::Key:
        return leftAligned(v, false, isAlnum)
                   ? QString()
                   : QString("%1가 올바르지 않습니다. [%2]").arg(name(), shown());
    }
    return {};
}

template <size_t N> QStringList recordFaults(const QByteArray& record, const FieldSpec (&fields)[N])
{
    QStringList out;
    for (const FieldSpec& f : fields)
        if (const QString fault = fieldFault(record, f); !fault.isEmpty())
            out.append(fault);
    return out;
}

qint64 numberAt(const QByteArray& record, int offset, int width)
{
    return record.mid(offset, width).toLongLong();
}

// A stored amount as the build reads it: NULL is nothing, a whole number
// stored as text or as a real counts as that number.
qint64 storedMoney(const QVariant& v)
{
    if (v.isNull())
        return 0;
    bool ok = false;
    const qint64 n = v.toLongLong(&ok);
    if (ok)
        return n;
    return qint64(std::llround(v.toDouble()));
}

QString controlIn(const QString& field, const QString& value)
{
    for (QChar c : value)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return QString("저장된 %1에 제어문자가 있습니다. [%2]").arg(field, shell::ShowControls(value));
    return {};
}

// "1,234,000원", whatever the locale.
QString won(qint64 amount)
{
    QString digits = QString::number(amount < 0 ? -amount : amount);
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, ',');
    return (amount < 0 ? "-" : "") + digits + "원";
}

struct StoredLine
{
    int aptId = 0;
    QString dong;
    QString ho;
    QString bankCode;
    QString account;
    qint64 amount = 0;
    bool seen = false;
};

struct BatchSum
{
    qint64 count = 0;
    qint64 amount = 0;
};

} // namespace


RequestChecker::RequestChecker(QSqlDatabase db, const QDateTime& prepared)
    : m_db(std::move(db)), m_prepared(prepared)
{
}

platform::Result<> RequestChecker::load()
{
    if (const platform::Result<> loaded = m_calendar.load(m_db); !loaded)
        return platform::Fail("휴일표를 읽을 수 없습니다.\r" + loaded.error());
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    if (!q.exec("SELECT Id FROM BankCode"))
        return platform::Fail("은행코드표를 읽을 수 없습니다.\r" + store::ReadFailureMessage(q.lastError()));
    while (q.next())
        m_bankCodes.insert(q.value(0).toString().trimmed());
    return {};
}

RequestFileCheck RequestChecker::check(const QByteArray& file) const
{
    RequestFileCheck out;
    const auto fileFault = [&](const QString& what) { out.faults.append({0, {}, what}); };

    // Every record ends in CR LF, the last one too. A lone CR or LF is a
    // control character inside its record.
    QList<QByteArray> records;
    for (qsizetype pos = 0; pos < file.size();) {
        const qsizetype end = file.indexOf("\r\n", pos);
        if (end < 0) {
            fileFault(QString("마지막 줄이 CR LF로 끝나지 않습니다. [%1]")
                          .arg(shown(file.mid(pos, 40))));
            records.append(file.mid(pos));
            break;
        }
        records.append(file.mid(pos, end - pos));
        pos = end + 2;
    }
    if (records.isEmpty()) {
        fileFault(QStringLiteral("빈 파일입니다."));
        return out;
    }

    const QByteArray& envelope = records.first();
    if (envelope.size() != kEnvelopeWidth || !envelope.startsWith("<<NEHEAD>>"))
        fileFault(QString("머리 줄이 %1 바이트의 <<NEHEAD>> 줄이 아닙니다. (%2 바이트)")
                      .arg(kEnvelopeWidth)
                      .arg(envelope.size()));
    if (std::any_of(envelope.begin(), envelope.end(),
                    [](char c) { return isControl(static_cast<unsigned char>(c)); }))
        fileFault(QString("머리 줄에 제어문자가 있습니다. [%1]").arg(shown(envelope)));

    if (records.size() < 2 || records[1].size() != kRecordWidth || records[1].at(0) != 'S') {
        fileFault(QStringLiteral("헤더(S) 레코드가 없거나 길이가 198 바이트가 아닙니다."));
        return out;
    }
    const QByteArray& header = records[1];
    for (const QString& f : recordFaults(header, kHeader))
        fileFault("헤더 레코드: " + f);
    const QByteArray institution = header.mid(8, 10).trimmed();
    out.institution = shell::FromCp949(institution);
    const QDate date = QDate::fromString(QString::fromLatin1(header.mid(21, 8)), "yyyyMMdd");

    // The institution's codes in the line above the records.
    {
        QSqlQuery q(m_db);
        q.prepare("SELECT APOUT, APBCODE FROM UserCode WHERE trim(APID10) = ?");
        q.addBindValue(out.institution);
        if (!q.exec()) {
            out.unread = store::ReadFailureMessage(q.lastError());
            return out;
        }
        if (q.next()) {
            for (const auto& [name, column, offset, width] :
                 {std::tuple{"파일코드", 0, 42, 6}, std::tuple{"은행 ID", 1, 51, 10}}) {
                const QString stored = q.value(column).toString();
                if (const QString c = controlIn(QString("기관의 ") + name, stored); !c.isEmpty())
                    fileFault(c);
                else if (envelope.size() == kEnvelopeWidth &&
                         shell::FromCp949(envelope.mid(offset, width)).trimmed() !=
                             stored.trimmed())
                    fileFault(QString("머리 줄의 %1가 기관의 값과 다릅니다.").arg(name));
            }
        } else {
            fileFault(QString("기관코드 [%1]의 기관이 없습니다.").arg(shell::ShowControls(out.institution)));
        }
    }

    // The transfer date: a business day the bank may still be asked for.
    const QDate today = m_prepared.date();
    if (!date.isValid()) {
        fileFault(QStringLiteral("이체일자가 올바른 날짜가 아닙니다."));
    } else {
        const QString dateText = date.toString(Qt::ISODate);
        if (date < today)
            fileFault(QString("이체일자 %1이 이미 지났습니다.").arg(dateText));
        else if (date > today.addDays(calendar::kTransferWindowDays))
            fileFault(QString("이체일자 %1이 송신일로부터 %2일을 넘습니다.")
                          .arg(dateText)
                          .arg(calendar::kTransferWindowDays));
        if (m_calendar.isHoliday(date)) {
            const QString name = m_calendar.describe(date).name;
            fileFault(QString("이체일자 %1은 휴무일입니다.%2")
                          .arg(dateText, name.isEmpty() ? QString() : " (" + name + ")"));
        }
        if (date == today && m_prepared.time().toString("HHmmss").toInt() >=
                                 calendar::kSameDayCutoff)
            fileFault(QStringLiteral("16시 이후에는 오늘 이체일자의 자료를 보낼 수 없습니다."));
    }

    // What the file should carry: the batches the build stamped with this
    // run's moment, and their lines by the record numbers they were given.
    QHash<qint64, StoredLine> stored;
    QHash<int, BatchSum> inDatabase;
    {
        QSqlQuery q(m_db);
        q.setForwardOnly(true);
        q.prepare("SELECT AptID FROM Apt1 WHERE State = ? AND trim(GiganID10) = ? "
                  "AND date(IcheDate) = ? AND SendDate = ? AND Stime = ? ORDER BY AptID");
        q.addBindValue(store::StoredValue(store::BatchState::Waiting));
        q.addBindValue(out.institution);
        q.addBindValue(date.toString(Qt::ISODate));
        q.addBindValue(today.toString(Qt::ISODate));
        q.addBindValue(m_prepared.time().toString("HH:mm:ss"));
        if (!q.exec()) {
            out.unread = store::ReadFailureMessage(q.lastError());
            return out;
        }
        while (q.next())
            out.batches.append(q.value(0).toInt());
        QSqlQuery l(m_db);
        l.setForwardOnly(true);
        l.prepare("SELECT DataNo, Dong, Ho, BankCode, BankNo, IcheMoney FROM Apt2 "
                  "WHERE AptID = ? ORDER BY Apt2ID");
        for (int aptId : out.batches) {
            l.addBindValue(aptId);
            if (!l.exec()) {
                out.unread = store::ReadFailureMessage(l.lastError());
                return out;
            }
            BatchSum& sum = inDatabase[aptId];
            while (l.next()) {
                StoredLine s{aptId,
                             l.value(1).toString(),
                             l.value(2).toString(),
                             l.value(3).toString(),
                             l.value(4).toString(),
                             storedMoney(l.value(5))};
                ++sum.count;
                sum.amount += s.amount;
                stored.insert(l.value(0).toLongLong(), s);
            }
        }
    }
    if (out.batches.isEmpty())
        fileFault(QStringLiteral("파일에 해당하는 송신대기 이체자료가 없습니다."));

    // The data records, each put to the batch and line it was written for.
    qint64 dataCount = 0;
    qint64 total = 0;
    qint64 groupCount[3] = {0, 0, 0};
    qint64 groupSum[3] = {0, 0, 0};
    QHash<int, BatchSum> inFile;
    QHash<int, QByteArray> keyOf;
    int lastAptId = 0;
    // The line the records are at, named only when a fault is said.
    const StoredLine* lastLine = nullptr;
    // The trailer is the last record: a piece of a cut record may start
    // with its letter too.
    const bool hasTrailer = records.size() > 2 && records.last().startsWith('E');
    const qsizetype dataEnd = hasTrailer ? records.size() - 1 : records.size();
    for (qsizetype at = 2; at < dataEnd; ++at) {
        const QByteArray& rec = records[at];
        ++dataCount;
        const qint64 sequence =
            rec.size() >= 8 && std::all_of(rec.begin() + 1, rec.begin() + 8, isDigit)
                ? numberAt(rec, 1, 7)
                : -1;
        // By its number, or by its place when the number cannot be read.
        auto line = stored.find(sequence);
        if (line == stored.end())
            line = stored.find(dataCount);
        if (rec.startsWith('D') && line != stored.end()) {
            lastAptId = line->aptId;
            lastLine = &*line;
        }
        // A piece of a record cut by a line end belongs with the one before.
        const auto fault = [&](const QString& what) {
            if (!lastLine) {
                out.faults.append({lastAptId, {}, QString("%1번째 줄: %2").arg(at + 1).arg(what)});
                return;
            }
            out.faults.append({lastAptId,
                               QString("동 %1 호 %2")
                                   .arg(shell::ShowControls(lastLine->dong.trimmed()),
                                        shell::ShowControls(lastLine->ho.trimmed())),
                               what});
        };
        if (rec.size() != kRecordWidth) {
            fault(QString("길이가 %1 바이트입니다. (%2 바이트여야 합니다) [%3]")
                      .arg(rec.size())
                      .arg(kRecordWidth)
                      .arg(shown(rec.left(40))));
            continue;
        }
        if (!rec.startsWith('D')) {
            fault(QString("자료(D) 레코드가 아닙니다. [%1]").arg(shown(rec.left(40))));
            continue;
        }
        for (const QString& f : recordFaults(rec, kData))
            fault(f);
        if (sequence != dataCount)
            fault(QString("일련번호가 %1이 아니라 %2입니다.").arg(dataCount).arg(sequence));
        if (line == stored.end() || line->seen) {
            fault(QStringLiteral("이 일련번호의 이체내역이 없거나 두 번 쓰였습니다."));
            continue;
        }
        line->seen = true;
        if (rec.mid(8, 10).trimmed() != institution)
            fault(QStringLiteral("기관코드가 헤더 레코드와 다릅니다."));
        const QByteArray key = rec.mid(114, 5);
        if (!keyOf.contains(line->aptId)) {
            for (auto k = keyOf.cbegin(); k != keyOf.cend(); ++k)
                if (k.value() == key)
                    fault(QStringLiteral("자료키가 다른 이체자료와 같습니다."));
            keyOf.insert(line->aptId, key);
        } else if (keyOf.value(line->aptId) != key) {
            fault(QStringLiteral("자료키가 같은 이체자료의 다른 레코드와 다릅니다."));
        }
        const QByteArray bank = rec.mid(23, 3);
        if (bank.at(0) != '0' || !m_bankCodes.contains(QString::fromLatin1(bank.mid(1))))
            fault(QString("은행코드 %1이 은행코드표에 없습니다. (저장된 은행코드 %2)")
                      .arg(QString::fromLatin1(bank), shell::ShowControls(line->bankCode)));
        const qint64 amount = numberAt(rec, 42, 13);
        if (amount <= 0)
            fault(QString("이체금액이 %1입니다. 0원보다 커야 합니다.").arg(won(amount)));
        else if (amount != line->amount)
            fault(QString("이체금액 %1이 저장된 금액 %2과 다릅니다.")
                      .arg(won(amount), won(line->amount)));
        for (const auto& [name, value] : {std::pair{"동", &line->dong}, std::pair{"호", &line->ho},
                                          std::pair{"계좌번호", &line->account},
                                          std::pair{"은행코드", &line->bankCode}})
            if (const QString c = controlIn(name, *value); !c.isEmpty())
                fault(c);
        const int group = bank == kCentralBankCode ? 0 : bank == kMemberBankCode ? 1 : 2;
        total += amount;
        ++groupCount[group];
        groupSum[group] += amount;
        ++inFile[line->aptId].count;
        inFile[line->aptId].amount += amount;
    }

    // The trailer: what it says of the file, against the records.
    if (!hasTrailer) {
        fileFault(QStringLiteral("종료(E) 레코드가 없습니다."));
    } else {
        const QByteArray& trailer = records.last();
        if (trailer.size() != kRecordWidth) {
            fileFault(QString("종료 레코드의 길이가 %1 바이트입니다.").arg(trailer.size()));
        } else {
            for (const QString& f : recordFaults(trailer, kTrailer))
                fileFault("종료 레코드: " + f);
            const qint64 expected[] = {dataCount + 2, dataCount,     total,
                                       groupCount[0], groupSum[0],   groupCount[1],
                                       groupSum[1],   groupCount[2], groupSum[2]};
            for (int i = 0; i < 9; ++i) {
                const FieldSpec& f = kTrailer[i + 1];
                const qint64 said = numberAt(trailer, f.offset, f.width);
                if (said != expected[i])
                    fileFault(QString("종료 레코드의 %1 %2이 자료 레코드의 %3과 다릅니다.")
                                  .arg(QString::fromUtf8(f.name))
                                  .arg(said)
                                  .arg(expected[i]));
            }
        }
    }

    // Each batch whole: every line it holds, at the amounts it holds.
    for (int aptId : out.batches) {
        const BatchSum file = inFile.value(aptId);
        const BatchSum db = inDatabase.value(aptId);
        if (file.count != db.count || file.amount != db.amount)
            out.faults.append({aptId,
                               {},
                               QString("파일의 %1건 %2이 이체자료의 %3건 %4과 다릅니다.")
                                   .arg(file.count)
                                   .arg(won(file.amount))
                                   .arg(db.count)
                                   .arg(won(db.amount))});
    }
    return out;
}

} // namespace edi
