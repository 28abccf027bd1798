#include "transfer/line_import.h"

#include "audit/record.h"

#include "codes/import_layouts.h"
#include "shell/clock.h"
#include "shell/codec.h"
#include "shell/log.h"
#include "shell/text_helpers.h"
#include "shell/ui.h"
#include "shell/wait_scope.h"
#include "store/account_numbers.h"
#include "store/database.h"
#include "store/schema.h"
#include "store/tdm1.h"
#include "store/transaction_guard.h"
#include "transfer/lines.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace transfer {
namespace {

// APTCONV's start/size columns in grid order; the table's last pair
// (BankName) is not used.
const char* const kColumns[ItemCount] = {"Dong",   "Ho",        "Name",     "BankCode",
                                         "BankNo", "IcheMoney", "IcheDate", "NapbuNo"};

// Field widths of the line tables, in CP949 bytes.
constexpr int kProgressStep = 100;
constexpr int kDongBytes = 4, kHoBytes = 4, kBankNoBytes = 16, kNapbuNoBytes = 24, kNameBytes = 20;

ImportLayout layoutFrom(const QSqlQuery& q)
{
    ImportLayout l;
    l.Name = q.value("Name").toString();
    l.Len = q.value("Len").toInt();
    for (int i = 0; i < ItemCount; ++i) {
        l.start[i] = q.value(QString(kColumns[i]) + "S").toInt();
        l.size[i] = q.value(QString(kColumns[i]) + "N").toInt();
    }
    return l;
}

// The trimmed bytes of an item and their text.
struct Field
{
    QByteArray bytes;
    QString text;
};

Field field(const ImportLayout& layout, const QByteArray& record, int item)
{
    const int start = layout.start[item];
    if (start < 1 || layout.size[item] < 1)
        return {};
    QByteArray bytes = shell::MidBytes(record, start - 1, layout.size[item]).trimmed();
    QString text = shell::FromCp949(bytes);
    return {std::move(bytes), std::move(text)};
}

// Text that did not decode as CP949 would be stored as replacement marks.
bool fits(const Field& f, int bytes)
{
    return f.bytes.size() <= bytes && !f.text.contains(QChar::ReplacementCharacter);
}

std::optional<double> numberOf(const QString& text)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    return ok ? v : 0;
}

// A record as the error file lists it: its own line breaks left out.
QString recordText(QByteArray record)
{
    while (record.endsWith('\n') || record.endsWith('\r'))
        record.chop(1);
    return shell::FromCp949(record.replace('\r', ' ').replace('\n', ' '));
}

} // namespace

QString LayoutItemName(int item)
{
    static const QStringList names = {"동",       "호",       "입주자명", "은행코드",
                                      "계좌번호", "이체금액", "실명번호", "예금주명"};
    return item >= 0 && item < names.size() ? names[item] : QString();
}

QList<shell::LayoutRow> ImportLayout::rows() const
{
    QList<shell::LayoutRow> out;
    for (int i = 0; i < ItemCount; ++i)
        out.append({LayoutItemName(i), start[i], size[i]});
    return out;
}

QList<ImportLayout> ReadLayouts(const store::TDM1& dm)
{
    QList<ImportLayout> out;
    QSqlQuery q(dm.db());
    if (q.exec("SELECT * FROM APTCONV ORDER BY Name"))
        while (q.next())
            out.append(layoutFrom(q));
    return out;
}

std::optional<ImportLayout> FindLayout(const store::TDM1& dm, const QString& name)
{
    QSqlQuery q(dm.db());
    q.prepare("SELECT * FROM APTCONV WHERE Name = :name");
    q.bindValue(":name", name);
    if (!q.exec() || !q.next())
        return std::nullopt;
    return layoutFrom(q);
}

bool SaveLayout(store::TDM1& dm, shell::Ui& ui, const ImportLayout& layout, const QString& oldName)
{
    QList<QPair<QString, QVariant>> values = {{"Name", layout.Name.trimmed()}, {"Len", layout.Len}};
    for (int i = 0; i < ItemCount; ++i)
        values << qMakePair(QString(kColumns[i]) + "S", QVariant(layout.start[i]))
               << qMakePair(QString(kColumns[i]) + "N", QVariant(layout.size[i]));
    return codes::SaveLayoutRow(dm.db(), ui, "APTCONV", "Name", oldName, values);
}

bool DeleteLayout(store::TDM1& dm, const QString& name)
{
    QSqlQuery q(dm.db());
    q.prepare("DELETE FROM APTCONV WHERE Name = :name");
    q.bindValue(":name", name);
    return q.exec();
}

platform::Result<QList<QByteArray>> SplitRecords(const QByteArray& bytes, int len)
{
    const bool lines = bytes.contains('\n') || bytes.contains('\r');
    if (len < 1 || lines) {
        QList<QByteArray> out = shell::SplitTextLines(bytes);
        for (qsizetype i = 0; len >= 1 && i < out.size(); ++i)
            if (out[i].size() >= len && !out[i].trimmed().isEmpty())
                return platform::Fail(
                    QString("%1번째 줄이 %2바이트로, 줄 끝을 넣은 레코드 길이 %3바이트보다 "
                            "깁니다: 한 줄에 레코드가 몇 개인지 알 수 없어 파일을 읽지 "
                            "않았습니다. 변환 설정의 레코드길이를 확인해 주십시오.")
                        .arg(i + 1)
                        .arg(out[i].size())
                        .arg(len));
        return out;
    }
    QList<QByteArray> out;
    for (qsizetype i = 0; i < bytes.size(); i += len)
        out.append(bytes.mid(i, len));
    return out;
}

platform::Result<shell::ImportPreview> PreviewLines(const ImportLayout& layout,
                                                    const QString& fileName)
{
    platform::Result<shell::Grid> rows = shell::ReadFixedColumns(2, fileName, layout.rows());
    if (!rows)
        return platform::Fail(rows.error());
    shell::ImportPreview out;
    out.rows = std::move(rows).value();
    // The real-name column is found by its item: its place depends on which
    // items the layout uses.
    int column = -1, used = 0;
    for (int i = 0; i < ItemCount; ++i) {
        if (layout.start[i] == 0 || layout.size[i] == 0)
            continue;
        if (i == RealName)
            column = used;
        ++used;
    }
    if (column < 0)
        return out;
    const int today = shell::DateNumber(shell::Today());
    for (qsizetype r = 1; r < out.rows.size(); ++r) {
        const QStringList& row = out.rows[r];
        if (column < row.size() && shell::RefusesResidentNumber("11", today, row[column]))
            out.errors.append(
                shell::PreviewErrorLine(int(r) + 1, row.value(0), {column + 1}, {row[column]}));
    }
    return out;
}

LineImport::LineImport(store::TDM1& dm, shell::Ui& ui, ImportTarget target, int aptId,
                       const QDate& icheDate, qint64 limit)
    : m_dm(dm), m_ui(ui), m_target(target), m_aptId(aptId), m_icheDate(icheDate), m_limit(limit)
{
}

QString LineImport::CheckRecord(const ImportLayout& layout, const QByteArray& record,
                                QVariantList& values) const
{
    values.clear();
    const Field dong = field(layout, record, Dong);
    if (!fits(dong, kDongBytes))
        return QStringLiteral("동 오류");
    values << dong.text << *numberOf(dong.text);

    const Field ho = field(layout, record, Ho);
    if (!fits(ho, kHoBytes))
        return QStringLiteral("호 오류");
    values << ho.text << *numberOf(ho.text);

    const Field name = field(layout, record, Name);
    if (!fits(name, kNameBytes))
        return QStringLiteral("입주자 오류");
    values << name.text;

    QString bank = field(layout, record, BankCode).text;
    if (bank.size() == 1)
        bank.prepend('0');
    bool numeric = false;
    const int code = bank.toInt(&numeric);
    if (bank.size() != 2 || !numeric || code < 1 || !shell::IsDigitText(bank))
        return QStringLiteral("은행코드 오류");
    if (code < 10 || code > 16)
        return QStringLiteral("타행계좌 처리불가");
    bank = store::NormalizeBankCode(bank);
    values << bank;

    QString account =
        shell::RemoveChar(shell::RemoveChar(field(layout, record, BankNo).text, '-'), ' ');
    if (account.isEmpty() || !shell::IsDigitText(account))
        return QStringLiteral("계좌번호 오류");
    if (m_target == ImportTarget::Group) {
        if (!store::IsValidAccount(bank, account))
            return QStringLiteral("계좌번호 오류");
        account = store::HyphenateOrKeep(bank, account);
    } else if (bank == "11" && account.size() == 14 && account.startsWith("000")) {
        account = account.mid(3);
    }
    if (account.size() > kBankNoBytes) // digits and hyphens: one byte each
        return QStringLiteral("계좌번호 오류");
    values << account;

    const QString amountText = shell::RemoveChar(field(layout, record, IcheMoney).text, ',');
    const std::optional<qint64> amount = ParseAmount(amountText);
    if (amountText.isEmpty() || !amount)
        return QStringLiteral("이체금액 오류");
    // The line save's rules: a negative or zero line would make the batch
    // total unsendable.
    const AmountFault fault = CheckAmount(*amount, m_limit);
    if (fault == AmountFault::NotPositive)
        return QStringLiteral("이체금액 오류");
    if (fault == AmountFault::OverLimit)
        return QStringLiteral("이체금액 한도 초과");
    values << *amount;

    const Field realName = field(layout, record, RealName);
    const QString realNameText = shell::RemoveChar(realName.text, '-');
    if (shell::RefusesResidentNumber("11", shell::DateNumber(m_icheDate), realNameText) ||
        !fits(realName, kNapbuNoBytes))
        return QStringLiteral("실명번호 오류");
    values << realNameText;

    const Field holder = field(layout, record, Holder);
    if (!fits(holder, kNameBytes))
        return QStringLiteral("예금주명 오류");
    values << holder.text;
    return {};
}

ImportOutcome LineImport::Run(const ImportLayout& layout, const QString& fileName)
{
    ImportOutcome out;
    const platform::Result<QByteArray> bytes = shell::ReadCp949File(fileName);
    if (!bytes) {
        m_ui.ShowError(bytes.error());
        return out;
    }
    const platform::Result<QList<QByteArray>> split = SplitRecords(*bytes, layout.Len);
    if (!split) {
        m_ui.ShowError(fileName + "\n" + split.error());
        return out;
    }
    const QList<QByteArray>& records = *split;
    const QString table = m_target == ImportTarget::Group ? "GroupAp2" : "Apt2";
    const QString progress = m_target == ImportTarget::Group
                                 ? QStringLiteral("자료 변환 중...현재 %1 건 처리")
                                 : QStringLiteral("자료 변환 중...현재 %1건 처리");

    shell::WaitScope wait(m_ui, progress.arg(0));
    QSqlQuery count(m_dm.db());
    count.prepare("SELECT Coalesce(Max(DataNo), 0) FROM " + table + " WHERE " +
                  store::IndexedMatch(table, "AptID", ":id"));
    count.bindValue(":id", m_aptId);
    if (!count.exec() || !count.next()) {
        m_ui.ShowError(store::ReadFailureMessage(count.lastError()));
        return out;
    }
    int dataNo = count.value(0).toInt();

    store::TransactionGuard tx(m_dm.db());
    if (!tx.active()) {
        m_ui.ShowError(store::WriteErrorMessage(m_dm.db().lastError()));
        return out;
    }
    QSqlQuery insert(m_dm.db());
    // Bound by position: tens of thousands of rows go through this statement.
    insert.prepare("INSERT INTO " + table +
                   " (AptID, IcheYebu, State, IcheDate, DataNo, Dong, DongInt, Ho, HoInt, Bigo, "
                   "BankCode, BankNo, IcheMoney, NapbuNo, Kita) VALUES (?, ?, ?, ?, ?, ?, ?, ?, "
                   "?, ?, ?, ?, ?, ?, ?)");
    // Every imported line starts unanswered and waiting; bound once, kept by the query.
    insert.bindValue(1, store::StoredValue(store::LineOutcome::Pending));
    insert.bindValue(2, store::StoredValue(store::BatchState::Waiting));
    const QString date = m_icheDate.toString(Qt::ISODate);
    QVariantList values;
    int imported = 0;
    // One row for the file, not one per line.
    std::optional<audit::Quiet> quiet(std::in_place);
    for (const QByteArray& record : records) {
        if (record.trimmed().isEmpty())
            continue;
        const QString reason = CheckRecord(layout, record, values);
        if (!reason.isEmpty()) {
            out.items.append(recordText(record));
            out.errors.append(reason);
            continue;
        }
        insert.bindValue(0, m_aptId);
        insert.bindValue(3, date);
        insert.bindValue(4, dataNo + 1);
        for (int i = 0; i < values.size(); ++i)
            insert.bindValue(5 + i, values[i]);
        if (!insert.exec()) {
            // A record the table refuses is rejected; a table that refuses
            // every write (held, unreadable, the disk) stops the import whole.
            const store::WriteFault fault = store::ClassifyError(insert.lastError());
            if (fault != store::WriteFault::TooLong && fault != store::WriteFault::Missing &&
                fault != store::WriteFault::Duplicate) {
                m_ui.ShowError(store::WriteErrorMessage(insert.lastError()));
                return out;
            }
            out.items.append(recordText(record));
            out.errors.append(store::WriteErrorMessage(insert.lastError()));
            continue;
        }
        ++dataNo;
        // The wait window cannot show more than a few texts a second.
        if (++imported % kProgressStep == 0)
            m_ui.ShowWaitMessage(progress.arg(imported));
    }
    m_ui.ShowWaitMessage(progress.arg(imported));
    quiet.reset();
    const QString headTable = m_target == ImportTarget::Group ? "GroupAp1" : "Apt1";
    const platform::Result<QString> institution =
        audit::InstitutionOf(m_dm.db(), headTable, m_aptId);
    if (!institution) {
        m_ui.ShowError(institution.error());
        return out;
    }
    audit::Change change{audit::action::Import, table, QString::number(m_aptId), *institution,
                         QStringLiteral("파일"), QVariant(),
                         QString("%1: 입력 %2건, 거부 %3건")
                             .arg(QFileInfo(fileName).fileName())
                             .arg(imported)
                             .arg(out.errors.size())};
    if (const platform::Result<> recorded = audit::Record(m_dm.db(), change); !recorded) {
        m_ui.ShowError(recorded.error());
        return out;
    }
    if (!tx.commit()) {
        m_ui.ShowError(store::WriteErrorMessage(m_dm.db().lastError()));
        return out;
    }
    out.read = true;
    out.imported = imported;
    return out;
}

ImportOutcome LineImport::Import(const ImportLayout& layout, const QString& fileName,
                                 const QString& caption, bool interactive)
{
    const bool log = m_target == ImportTarget::Batch;
    if (log)
        shell::WriteLog(caption + " 자료변환시작" + ", FileName " + fileName);
    ImportOutcome out = Run(layout, fileName);
    if (!out.read)
        return out;
    if (log)
        shell::WriteLog(caption + " 자료변환" + ", Name " + layout.Name + ", Cnt " +
                        QString::number(out.imported) + ", Error " +
                        QString::number(out.errors.size()));
    if (!out.errors.isEmpty()) {
        if (!interactive)
            out.errorFile = shell::WriteErrorList(m_ui, out.items, out.errors);
        else if (shell::ReportErrorList(m_ui, out.items, out.errors))
            out.errorFile = shell::ErrorListPath();
    }
    if (interactive)
        m_ui.ShowInfo(QString("%1 건의 자료가 변환되었습니다.").arg(out.imported));
    return out;
}

} // namespace transfer
