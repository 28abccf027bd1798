#include "codes/bank_code.h"

#include "shell/log.h"
#include "shell/text_helpers.h"
#include "shell/ui.h"
#include "store/database.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace codes {

QString BankCodeEntry::SendVersionText() const
{
    switch (SendVersionIndex()) {
    case 0:
        return QStringLiteral("전금법전(0)");
    case 1:
        return QStringLiteral("전금법후(1)");
    default:
        return {};
    }
}

int BankCodeEntry::SendVersionIndex() const
{
    if (SENDVERSION.isEmpty() || SENDVERSION == "0")
        return 0;
    return SENDVERSION == "1" ? 1 : -1;
}

BankCodes::BankCodes(QSqlDatabase db, shell::Ui& ui, QString title)
    : m_db(std::move(db)), m_ui(ui), m_title(std::move(title))
{
}

std::optional<QList<BankCodeEntry>> BankCodes::List() const
{
    QList<BankCodeEntry> out;
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    if (q.exec("SELECT Id, Name, MONEYLAW, JUMINCHECK, SENDVERSION FROM BankCode ORDER BY Id"))
        while (q.next())
            out.append({q.value(0).toString(), q.value(1).toString(), q.value(2).toBool(),
                        q.value(3).toBool(), q.value(4).toString()});
    if (q.lastError().isValid()) {
        m_ui.ShowError(store::ReadFailureMessage(q.lastError()));
        return std::nullopt;
    }
    return out;
}

int BankCodes::Count() const
{
    QSqlQuery q(m_db);
    return q.exec("SELECT count(*) FROM BankCode") && q.next() ? q.value(0).toInt() : 0;
}

bool BankCodes::MayInsert()
{
    if (Count() > kMaxBankCodes - 1) {
        m_ui.ShowInfo("코드는 99개 이상 입력할 수 없습니다.");
        return false;
    }
    return true;
}

bool BankCodes::ConfirmEdit()
{
    return m_ui.Confirm(
        "은행코드를 수정하면 처리가 정상적으로 수행되지 않을 수도 있습니다.\r\r수정하시겠습니까 ?", false);
}

QString BankCodes::FilterName(const QString& text)
{
    QString out;
    for (QChar c : text) {
        const ushort u = c.unicode();
        const bool alnum = (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z');
        if (u >= 128 || alnum)
            out += c;
    }
    return out;
}

void BankCodes::log(const QString& action, const BankCodeEntry& row)
{
    shell::WriteLog(m_title + " " + action + ", ID " + row.Id + ", Name " + row.Name);
}

BankSave BankCodes::Save(BankCodeEntry& row, const QString& originalId)
{
    const QString name = row.Name.trimmed();
    const QString symbols = shell::SymbolChars(name);
    if (!symbols.isEmpty()) {
        m_ui.ShowPlain("코드명에 기호나 특수문자를 사용할수 없습니다.\r\"" + symbols +
                       "\"과 같은 문자는 사용할수 없습니다. 은행에서 처리가 되지 않습니다");
        return {false, BankField::Name};
    }
    const QString code = row.Id.trimmed().toUpper();
    if (code.isEmpty())
        return shell::RefuseSave(m_ui, "코드를 입력하십시오.", BankField::Id);
    if (name.isEmpty())
        return shell::RefuseSave(m_ui, "내용(코드명)을 입력하십시오.", BankField::Name);
    row.Id = shell::PadZeros(code, 2, false);
    if (row.JUMINCHECK && !row.MONEYLAW) {
        m_ui.ShowPlain("출금동의서적용이 되어야 실명번호검사적용이 가능합니다.\r실명번호 검사  체크를 "
                       "해제 하세요!");
        return {false, BankField::JuminCheck};
    }
    if (row.SendVersionIndex() < 0) {
        m_ui.ShowPlain("은행송신전문 선택하세요 ");
        return {false, BankField::SendVersion};
    }
    row.Name = name;
    row.SENDVERSION = QString::number(row.SendVersionIndex());

    const bool isNew = originalId.isEmpty();
    QSqlQuery q(m_db);
    if (isNew)
        q.prepare("INSERT INTO BankCode (Id, Name, MONEYLAW, JUMINCHECK, SENDVERSION) "
                  "VALUES (:Id, :Name, :M, :J, :S)");
    else
        q.prepare("UPDATE BankCode SET Id = :Id, Name = :Name, MONEYLAW = :M, JUMINCHECK = :J, "
                  "SENDVERSION = :S WHERE Id = :Old");
    q.bindValue(":Id", row.Id);
    q.bindValue(":Name", row.Name);
    q.bindValue(":M", row.MONEYLAW ? 1 : 0);
    q.bindValue(":J", row.JUMINCHECK ? 1 : 0);
    q.bindValue(":S", row.SENDVERSION);
    if (!isNew)
        q.bindValue(":Old", originalId);
    if (!q.exec()) {
        if (store::ClassifyError(q.lastError()) == store::WriteFault::Duplicate)
            return shell::RefuseSave(m_ui, "코드가 중복됩니다.\r\r다른 코드를 사용하십시오.",
                                     BankField::Id);
        m_ui.ShowInfo(store::WriteErrorMessage(q.lastError()));
        return {false, BankField::Name};
    }
    log(isNew ? "입력" : "수정", row);
    return {true, BankField::None};
}

bool BankCodes::Delete(const BankCodeEntry& current, const QStringList& selected)
{
    if (Count() == 0)
        return false;
    if (!m_ui.Confirm("은행코드를 삭제하면 처리가 정상적으로 수행되지 않을 수도 있습니다.\r\r"
                      "삭제하시겠습니까 ?",
                      false))
        return false;
    const int n = selected.isEmpty() ? 1 : int(selected.size());
    if (!m_ui.Confirm(QString("선택된 %1 개의 자료를 삭제하시겠습니까?").arg(n), false))
        return false;
    log("삭제", current);
    const QStringList ids = selected.isEmpty() ? QStringList{current.Id} : selected;
    QSqlQuery q(m_db);
    q.prepare("DELETE FROM BankCode WHERE Id = :Id");
    for (const QString& id : ids) {
        q.bindValue(":Id", id);
        if (!q.exec()) {
            m_ui.ShowError(store::WriteErrorMessage(q.lastError()));
            return false;
        }
    }
    return true;
}

platform::Result<QList<QPair<QString, QString>>> CodeTableRows(QSqlDatabase db, int selector)
{
    QList<QPair<QString, QString>> out;
    const char* sql = selector == 16   ? "SELECT id, Name FROM CodeP ORDER BY id"
                      : selector == 21 ? "SELECT id, Name FROM CodeS ORDER BY id"
                                       : "SELECT Id, Name FROM BankCode ORDER BY Id";
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(sql))
        return platform::Fail(store::ReadFailureMessage(q.lastError()));
    while (q.next())
        out.append({q.value(0).toString(), q.value(1).toString()});
    return out;
}

} // namespace codes
