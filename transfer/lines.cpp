#include "transfer/lines.h"

#include "codes/bank_code.h"
#include "shell/codec.h"
#include "shell/firm_ini.h"
#include "shell/import_helpers.h"
#include "shell/log.h"
#include "shell/text_helpers.h"
#include "shell/ui.h"
#include "store/account_numbers.h"
#include "store/bulk_write.h"
#include "store/consent_key.h"
#include "store/database.h"
#include "store/schema.h"
#include "store/tdm1.h"
#include "transfer/row_values.h"

#include <QLocale>
#include <QRegularExpression>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>

namespace transfer {
namespace {

using namespace detail;

const char* const kLineColumns =
    "Apt2ID, AptID, DongInt, Dong, HoInt, Ho, BankCode, BankNo, IcheDate, IcheMoney, IcheYebu, "
    "ResultID, NapbuNo, Rdate, State, Sdate, Stime, DataNo, Bigo, Kita, ResultID4";
// Group lines are never sent, so they have no send and receive dates.
const char* const kGroupLineColumns =
    "Apt2ID, AptID, DongInt, Dong, HoInt, Ho, BankCode, BankNo, IcheDate, IcheMoney, IcheYebu, "
    "ResultID, NapbuNo, NULL, State, NULL, NULL, DataNo, Bigo, Kita, ResultID4";

// The ORDER BY of each LineOrder, in the enum's order.
const char* const kLineOrderBy[] = {
    "Apt2ID", "BankCode COLLATE NOCASE, BankNo COLLATE NOCASE, Apt2ID",
    "DongInt, Dong COLLATE NOCASE, HoInt, Ho COLLATE NOCASE, Apt2ID",
    "Bigo COLLATE NOCASE, Apt2ID"};
static_assert(std::size(kLineOrderBy) == int(LineOrder::Name) + 1);

std::optional<double> toOptionalDouble(const QVariant& v)
{
    return v.isNull() ? std::nullopt : std::optional<double>(v.toDouble());
}

QVariant doubleValue(const std::optional<double>& v)
{
    return v ? QVariant(*v) : QVariant();
}

TransferItem lineFrom(const QSqlQuery& q)
{
    TransferItem l;
    l.Apt2ID = q.value(0).toInt();
    l.AptID = q.value(1).toInt();
    l.DongInt = toOptionalDouble(q.value(2));
    l.Dong = q.value(3).toString();
    l.HoInt = toOptionalDouble(q.value(4));
    l.Ho = q.value(5).toString();
    l.BankCode = q.value(6).toString();
    l.BankNo = q.value(7).toString();
    l.IcheDate = toDate(q.value(8));
    l.IcheMoney = q.value(9).toLongLong();
    l.IcheYebu = q.value(10).toString();
    l.ResultID = q.value(11).toString();
    l.NapbuNo = q.value(12).toString();
    l.Rdate = toDate(q.value(13));
    l.State = store::BatchStateFrom(q.value(14));
    l.Sdate = toDate(q.value(15));
    l.Stime = toTime(q.value(16));
    l.DataNo = toOptionalInt(q.value(17));
    l.Bigo = q.value(18).toString();
    l.Kita = q.value(19).toString();
    l.ResultID4 = q.value(20).toString();
    return l;
}

// The first `bytes` CP949 bytes of a text, never half a character.
QString leftBytes(const QString& text, int bytes)
{
    if (text.size() * 2 <= bytes)
        return text;
    return shell::FromCp949(shell::LeftBytes(shell::ToCp949(text), bytes));
}

// The integer value of a building or unit text; 0 when it is not a number.
double numberOf(const QString& text)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    return ok ? v : 0;
}

} // namespace

std::optional<qint64> ParseAmount(const QString& text)
{
    static const QRegularExpression pattern("^[+-]?(\\d{1,3}(,\\d{3})+|\\d+)$");
    const QString t = text.trimmed();
    if (!pattern.match(t).hasMatch())
        return std::nullopt;
    QString digits = t;
    digits.remove(',');
    bool ok = false;
    const qint64 v = digits.toLongLong(&ok);
    // Beyond what a money field holds.
    if (!ok || v > 999'999'999'999'999LL || v < -999'999'999'999'999LL)
        return std::nullopt;
    return v;
}

AmountFault CheckAmount(qint64 amount, qint64 limit)
{
    if (amount <= 0)
        return AmountFault::NotPositive;
    return amount > limit ? AmountFault::OverLimit : AmountFault::None;
}

QString FormatAmount(qint64 amount)
{
    return QLocale(QLocale::Korean, QLocale::SouthKorea).toString(amount);
}

QStringList ExportRow(const TransferItem& l)
{
    return {l.cStatus,  l.Dong,    l.Ho,      l.Bigo, l.BankCode,
            l.BankName, l.MBankNo, l.NapbuNo, l.Kita, FormatAmount(l.IcheMoney),
            l.Stat};
}

QString FormatMoney(qint64 amount)
{
    return QLocale(QLocale::Korean, QLocale::SouthKorea).toCurrencyString(amount);
}

QString ConsentStatusText(std::optional<int> status)
{
    return store::ConsentStatusLineText(status ? store::ConsentStatusFrom(*status) : std::nullopt);
}

QString LinesCaption(const QString& institutionName)
{
    return institutionName.isEmpty() ? QStringLiteral("Veltrin-이체자료")
                                     : "Veltrin-" + institutionName + " 이체자료";
}

void Describe(TransferItem& l, const store::TDM1& dm)
{
    // An account the rules cannot hyphenate is shown as stored.
    l.MBankNo = l.BankNo.isEmpty() ? QString() : store::HyphenateOrKeep(l.BankCode, l.BankNo);
    l.BankName = dm.BankName(l.BankCode);
    l.YebuName = leftBytes(dm.OutcomeText(l.IcheYebu), 6);
    l.ResultName = leftBytes(dm.ResultText(l.ResultID4), 40);
    l.Stat = l.State < BatchState::Sent ? QStringLiteral("미송신") : l.YebuName;
}

bool LineSearch::matches(const TransferItem& l) const
{
    return (Bigo.isEmpty() || l.Bigo == Bigo) && (NapbuNo.isEmpty() || l.NapbuNo == NapbuNo) &&
           (BankNo.isEmpty() || l.BankNo == BankNo);
}

int FindLine(const QList<TransferItem>& lines, int from, const LineSearch& search)
{
    for (int i = std::max(0, from); i < lines.size(); ++i)
        if (search.matches(lines[i]))
            return i;
    return -1;
}

TransferLines::TransferLines(store::TDM1& dm, shell::Ui& ui, int aptId, LineTable table)
    : m_dm(dm), m_ui(ui), m_aptId(aptId), m_limit(shell::ReadAmountLimit(dm.workspace())),
      m_group(table == LineTable::Group), m_table(m_group ? "GroupAp2" : "Apt2")
{
}

QString TransferLines::columns() const
{
    return QString::fromLatin1(m_group ? kGroupLineColumns : kLineColumns);
}

std::optional<QList<TransferItem>> TransferLines::List(LineOrder order) const
{
    QList<TransferItem> out;
    QSqlQuery q(m_dm.db());
    q.setForwardOnly(true);
    q.prepare(QString("SELECT %1 FROM %2 WHERE %3 ORDER BY %4")
                  .arg(columns(), m_table, store::IndexedMatch(m_table, "AptID", ":id"),
                       kLineOrderBy[int(order)]));
    q.bindValue(":id", m_aptId);
    if (!q.exec()) {
        m_ui.ShowError(store::ReadFailureMessage(q.lastError()));
        return std::nullopt;
    }
    while (q.next()) {
        out.append(lineFrom(q));
        Describe(out.last(), m_dm);
    }
    if (q.lastError().isValid()) {
        m_ui.ShowError(store::ReadFailureMessage(q.lastError()));
        return std::nullopt;
    }
    return out;
}

std::optional<TransferItem> TransferLines::Find(int apt2Id) const
{
    QSqlQuery q(m_dm.db());
    q.prepare(QString("SELECT %1\nFrom %2\nWHERE Apt2ID = :id").arg(columns(), m_table));
    q.bindValue(":id", apt2Id);
    if (!q.exec() || !q.next())
        return std::nullopt;
    TransferItem l = lineFrom(q);
    Describe(l, m_dm);
    return l;
}

TransferItem TransferLines::NewLine(const TransferBatch& batch) const
{
    TransferItem l;
    l.AptID = batch.AptID;
    l.BankCode = m_group ? "35" : "11";
    l.IcheDate = batch.IcheDate;
    l.IcheMoney = 0;
    l.IcheYebu = store::StoredValue(store::LineOutcome::Pending);
    l.State = BatchState::Waiting;
    Describe(l, m_dm);
    return l;
}

bool TransferLines::BankCodeExists(const QString& code) const
{
    QSqlQuery q(m_dm.db());
    q.prepare("SELECT 1 FROM BankCode WHERE Id = :id");
    q.bindValue(":id", code);
    return q.exec() && q.next();
}

bool TransferLines::checkAmount(qint64 amount)
{
    switch (CheckAmount(amount, m_limit)) {
    case AmountFault::NotPositive:
        m_ui.ShowInfo(QStringLiteral("이체금액은 0보다 큰 금액을 입력해야 합니다."));
        return false;
    case AmountFault::OverLimit:
        m_ui.ShowInfo(QString("이체금액이 한도를 초과했습니다.\r\r최대 이체 한도는 %1 입니다.")
                          .arg(FormatMoney(m_limit)));
        return false;
    case AmountFault::None:
        break;
    }
    return true;
}

LineSave TransferLines::Save(TransferItem& l, bool isNew)
{
    using F = LineField;
    // A group keeps the real-name number as typed; the banks refuse a full
    // resident registration number there.
    if (m_group && shell::RefusesResidentNumber("11", shell::DateNumber(l.IcheDate),
                                                shell::RemoveChar(l.NapbuNo, '-')))
        return shell::RefuseSave(
            m_ui,
            "실명번호의 주민등록번호는 생년월일로 대체 되었습니다.\r\n확인 후 수정해 "
            "주시기 바랍니다.",
            F::IcheMoney);
    if (!checkAmount(l.IcheMoney))
        return {false, F::IcheMoney};
    l.BankCode = l.BankCode.trimmed();
    if (l.BankCode.isEmpty())
        return shell::RefuseSave(m_ui, "은행명(은행코드) 항목이 누락되었습니다.", F::BankCode);
    if (!BankCodeExists(l.BankCode))
        return shell::RefuseSave(m_ui, "은행코드가 적절하지 않습니다.", F::BankCode);
    if (l.BankNo.trimmed().isEmpty())
        return shell::RefuseSave(m_ui, "계좌번호 항목이 누락되었습니다.", F::BankNo);
    const QString number = store::StripHyphens(l.BankNo.trimmed());
    if (!store::IsValidAccount(l.BankCode, number) &&
        !m_ui.Confirm(QStringLiteral("계좌번호가 적절하지 않습니다.\r\r그냥 저장하시겠습니까?"),
                      false))
        return {false, F::BankNo};

    l.Dong = store::TrimRight(l.Dong);
    l.Ho = store::TrimRight(l.Ho);
    l.DongInt = numberOf(l.Dong);
    l.HoInt = numberOf(l.Ho);
    if (m_group) {
        l.BankNo = store::HyphenateOrKeep(l.BankCode, number);
        l.NapbuNo = l.NapbuNo.trimmed();
    } else {
        l.BankNo = number;
        l.NapbuNo = l.Dong + l.Ho;
    }

    QSqlQuery q(m_dm.db());
    if (isNew)
        q.prepare("INSERT INTO " + m_table +
                  " (AptID, Dong, DongInt, Ho, HoInt, Bigo, BankCode, BankNo, "
                  "NapbuNo, IcheMoney, Kita, IcheDate, IcheYebu, State) VALUES (:AptID, :Dong, "
                  ":DongInt, :Ho, :HoInt, :Bigo, :BankCode, :BankNo, :NapbuNo, :IcheMoney, :Kita, "
                  ":IcheDate, :IcheYebu, :State)");
    else
        q.prepare("UPDATE " + m_table +
                  " SET Dong = :Dong, DongInt = :DongInt, Ho = :Ho, HoInt = :HoInt, "
                  "Bigo = :Bigo, BankCode = :BankCode, BankNo = :BankNo, NapbuNo = :NapbuNo, "
                  "IcheMoney = :IcheMoney, Kita = :Kita WHERE Apt2ID = :Apt2ID");
    bindAll(q, {{":Dong", l.Dong},
                {":DongInt", doubleValue(l.DongInt)},
                {":Ho", l.Ho},
                {":HoInt", doubleValue(l.HoInt)},
                {":Bigo", store::TrimRight(l.Bigo)},
                {":BankCode", l.BankCode},
                {":BankNo", l.BankNo},
                {":NapbuNo", l.NapbuNo},
                {":IcheMoney", l.IcheMoney},
                {":Kita", store::TrimRight(l.Kita)}});
    if (isNew)
        bindAll(q, {{":AptID", l.AptID},
                    {":IcheDate", dateValue(l.IcheDate)},
                    {":IcheYebu", l.IcheYebu},
                    {":State", store::StoredValue(l.State)}});
    else
        q.bindValue(":Apt2ID", l.Apt2ID);
    if (!q.exec())
        return shell::RefuseSave(m_ui, store::WriteErrorMessage(q.lastError()), F::Dong);
    if (isNew)
        l.Apt2ID = q.lastInsertId().toInt();
    Describe(l, m_dm);
    return {true, F::None};
}

bool TransferLines::Delete(const QList<int>& apt2Ids, const QString& caption)
{
    if (apt2Ids.isEmpty())
        return false;
    const int n = int(apt2Ids.size());
    if (!m_ui.Confirm(QString("선택된 %1 개의 자료를 삭제하시겠습니까?").arg(n), false))
        return false;
    // Logged only once the user has agreed.
    shell::WriteLog(caption + " 자료삭제 " + QString::number(n) + " 건");
    return eachLine(apt2Ids, QStringLiteral("자료 삭제 처리 중..."),
                    "DELETE FROM " + m_table + " WHERE Apt2ID = :id AND AptID = :apt", {});
}

bool TransferLines::eachLine(const QList<int>& apt2Ids, const QString& progressText,
                             const QString& sql, const QVariantMap& values)
{
    // One line goes without a progress bar.
    const bool progress = apt2Ids.size() > 1;
    store::BulkWrite bulk(m_dm.db());
    if (progress)
        bulk.showProgress(m_ui, progressText, int(apt2Ids.size()));
    const bool ok = bulk.run(sql, int(apt2Ids.size()), [&](QSqlQuery& q, int row) {
        for (auto v = values.begin(); v != values.end(); ++v)
            q.bindValue(v.key(), v.value());
        q.bindValue(":id", apt2Ids[row]);
        q.bindValue(":apt", m_aptId);
    });
    if (!ok || !bulk.commit()) {
        m_ui.ShowError(store::WriteErrorMessage(bulk.error()));
        return false;
    }
    if (progress)
        m_ui.CloseWait();
    return true;
}

std::optional<int> TransferLines::CopyLine(int apt2Id, const TransferBatch& batch)
{
    const std::optional<TransferItem> src = Find(apt2Id);
    if (!src)
        return std::nullopt;
    QSqlQuery next(m_dm.db());
    next.prepare("SELECT Max(DataNo) FROM " + m_table + " WHERE " +
                 store::IndexedMatch(m_table, "AptID", ":id"));
    next.bindValue(":id", batch.AptID);
    const int dataNo = next.exec() && next.next() ? next.value(0).toInt() + 1 : 1;

    QSqlQuery q(m_dm.db());
    // A copy of a line of a batch without data stays without data.
    const BatchState state =
        src->State == BatchState::NoData ? BatchState::NoData : BatchState::Waiting;
    q.prepare("INSERT INTO " + m_table +
              " (AptID, IcheDate, BankCode, BankNo, IcheMoney, NapbuNo, Bigo, Dong, "
              "Ho, Kita, IcheYebu, State, DataNo) VALUES (:AptID, :IcheDate, :BankCode, :BankNo, "
              ":IcheMoney, :NapbuNo, :Bigo, :Dong, :Ho, :Kita, :IcheYebu, :State, :DataNo)");
    bindAll(q, {{":AptID", batch.AptID},
                {":IcheDate", dateValue(batch.IcheDate)},
                {":BankCode", src->BankCode},
                {":BankNo", src->BankNo},
                {":IcheMoney", src->IcheMoney},
                {":NapbuNo", src->NapbuNo},
                {":Bigo", src->Bigo},
                {":Dong", src->Dong},
                {":Ho", src->Ho},
                {":Kita", src->Kita},
                {":IcheYebu", store::StoredValue(store::LineOutcome::Pending)},
                {":State", store::StoredValue(state)},
                {":DataNo", dataNo}});
    if (!q.exec()) {
        m_ui.ShowError(store::WriteErrorMessage(q.lastError()));
        return std::nullopt;
    }
    return q.lastInsertId().toInt();
}

bool TransferLines::SetAmount(const QList<int>& apt2Ids, const QString& text)
{
    const std::optional<qint64> amount = ParseAmount(text);
    if (!amount) {
        m_ui.ShowInfo(QStringLiteral("이체금액이 적절하지 않습니다."));
        return false;
    }
    // The same rules as saving one line, so that no zero, negative or
    // over-limit amount reaches a request file.
    if (apt2Ids.isEmpty() || !checkAmount(*amount))
        return false;
    return eachLine(apt2Ids, QStringLiteral("이체금액 변경 처리 중..."),
                    "UPDATE " + m_table + " SET IcheMoney = :m WHERE Apt2ID = :id AND AptID = :apt",
                    {{":m", *amount}});
}

int TransferLines::FindBadAccount(const QList<TransferItem>& lines, int from)
{
    const std::optional<QList<codes::BankCodeEntry>> banks =
        codes::BankCodes(m_dm.db(), m_ui, QString()).List();
    if (!banks)
        return -1;
    QSet<QString> known;
    for (const codes::BankCodeEntry& bank : *banks)
        known.insert(bank.Id);
    for (int i = std::max(0, from); i < lines.size(); ++i) {
        if (!known.contains(lines[i].BankCode)) {
            m_ui.ShowInfo(QStringLiteral("은행코드 오류가 발견되었습니다."));
            return i;
        }
        if (!store::IsValidAccount(lines[i].BankCode, lines[i].BankNo)) {
            m_ui.ShowInfo(QStringLiteral("계좌번호 오류가 발견되었습니다."));
            return i;
        }
    }
    m_ui.ShowInfo(QStringLiteral("커서 이후의 계좌번호 오류가 발견되지 않았습니다."));
    return -1;
}

std::optional<bool> TransferLines::FillConsent(QList<TransferItem>& lines,
                                              const QString& giganId10) const
{
    QSqlQuery q(m_dm.db());
    q.setForwardOnly(true);
    q.prepare("SELECT Status FROM TONGREGISTER\nWHERE GIGANID = :GIGANID\nAND   BANKCD  = :BANKCD\n"
              "AND   BANKNO  = :BANKNO\nAND   NAPBUNO = :NAPBUNO");
    bool missing = false;
    for (TransferItem& l : lines) {
        QString number = store::StripHyphens(l.BankNo);
        number.remove(' ');
        bindAll(q, {{":GIGANID", giganId10.trimmed()},
                    {":BANKCD", l.BankCode.trimmed()},
                    {":BANKNO", number},
                    {":NAPBUNO", l.cNapbuNo().trimmed()}});
        std::optional<store::ConsentStatus> status; // none found, or none stored
        if (!q.exec()) {
            m_ui.ShowError(store::ReadFailureMessage(q.lastError()));
            return std::nullopt;
        }
        // The last row decides.
        while (q.next())
            status = q.value(0).isNull() ? std::nullopt
                                         : store::ConsentStatusFrom(q.value(0).toInt());
        l.cStatus = store::ConsentStatusLineText(status);
        if (status != store::ConsentStatus::Registered)
            missing = true;
    }
    return missing;
}

std::optional<bool> TransferLines::MissingConsent() const
{
    // Field by field, as the transmission preview matches them: a joined
    // text lets one field's end pass for the next one's start.
    QSqlQuery q(m_dm.db());
    q.setForwardOnly(true);
    q.prepare(
        "SELECT t.Giganid, t.Bankcd, t.Bankno, t.NapbuNO FROM TongRegister t, Apt1 b "
        "WHERE b.AptID = :APTID AND t.Status = :registered AND t.Giganid = b.GiganID10 COLLATE "
        "NOCASE");
    q.bindValue(":APTID", m_aptId);
    q.bindValue(":registered", store::StoredValue(store::ConsentStatus::Registered));
    const auto unread = [&] {
        m_ui.ShowError(store::ReadFailureMessage(q.lastError()));
        return std::nullopt;
    };
    if (!q.exec())
        return unread();
    const QSet<QString> registered = store::ConsentMatchKeys(q);
    q.finish();
    q.prepare("SELECT b.GiganID10, a.BankCode, a.BankNo, COALESCE(a.Dong, '') || "
              "COALESCE(a.Ho, '') FROM Apt2 a, Apt1 b WHERE b.AptID = :APTID AND a." +
              store::IndexedMatch("Apt2", "AptID", "b.AptID"));
    q.bindValue(":APTID", m_aptId);
    if (!q.exec())
        return unread();
    while (q.next())
        if (!registered.contains(
                store::ConsentMatchKey(q.value(0).toString(), q.value(1).toString(),
                                       q.value(2).toString(), q.value(3).toString())))
            return true;
    return false;
}

} // namespace transfer
