#include "codes/institution.h"

#include "shell/log.h"
#include "shell/ui.h"
#include "store/account_numbers.h"
#include "store/database.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace codes {
namespace {

const char* const kColumns =
    "Rec, Name, APOUT, APIN, APPASS, APID10, APBCODE, BankNoApt, TREGISTEROUT, TREGISTERIN, AUTHSENDTYPE";

Institution fromQuery(const QSqlQuery& q)
{
    Institution r;
    r.Rec = q.value(0).toLongLong();
    QString* fields[] = {&r.Name,   &r.APOUT,     &r.APIN,         &r.APPASS,
                         &r.APID10, &r.APBCODE,   &r.BankNoApt,    &r.TREGISTEROUT,
                         &r.TREGISTERIN, &r.AUTHSENDTYPE};
    for (int i = 0; i < 10; ++i)
        *fields[i] = q.value(i + 1).toString();
    return r;
}

InstitutionField fieldOf(const QString& column)
{
    static const QList<QPair<QString, InstitutionField>> map = {
        {"Name", InstitutionField::Name},         {"APOUT", InstitutionField::APOUT},
        {"APIN", InstitutionField::APIN},         {"APPASS", InstitutionField::APPASS},
        {"APID10", InstitutionField::APID10},     {"APBCODE", InstitutionField::APBCODE},
        {"BankNoApt", InstitutionField::BankNoApt}, {"AUTHSENDTYPE", InstitutionField::AUTHSENDTYPE},
    };
    for (const auto& [name, field] : map)
        if (column.compare(name, Qt::CaseInsensitive) == 0)
            return field;
    return InstitutionField::Name;
}

} // namespace

Institutions::Institutions(QSqlDatabase db, shell::Ui& ui) : m_db(std::move(db)), m_ui(ui) {}

std::optional<QList<Institution>> Institutions::List() const
{
    QList<Institution> out;
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    if (q.exec(QString("SELECT %1 FROM UserCode ORDER BY Name").arg(kColumns)))
        while (q.next())
            out.append(fromQuery(q));
    if (q.lastError().isValid()) {
        m_ui.ShowError(store::ReadFailureMessage(q.lastError()));
        return std::nullopt;
    }
    return out;
}

platform::Result<std::optional<Institution>>
Institutions::FindByCode(const QString& code) const
{
    QSqlQuery q(m_db);
    q.prepare(QString("SELECT %1 FROM UserCode WHERE APID10 = :code COLLATE NOCASE ORDER BY Rec")
                  .arg(kColumns));
    q.bindValue(":code", code);
    if (q.exec() && q.next())
        return std::optional(fromQuery(q));
    if (q.lastError().isValid())
        return platform::Fail(store::ReadFailureMessage(q.lastError()));
    return std::optional<Institution>();
}

int Institutions::CountBatches(const QString& code) const
{
    QSqlQuery q(m_db);
    q.prepare("SELECT Count(*) Cnt FROM Apt1\nWHERE GiganID10 = :code");
    q.bindValue(":code", code);
    return q.exec() && q.next() ? q.value(0).toInt() : 0;
}

bool Institutions::ConfirmInUse(const Institution& row)
{
    if (row.APID10.isEmpty() || CountBatches(row.APID10) == 0)
        return true;
    return m_ui.Confirm(QString("%1 기관코드로 작성된 자료가 있습니다.\r이 설정을 변경시 해당자료가 "
                                "정상적으로 처리되지 않습니다.\r\r계속 진행하시겠습니까 ?")
                            .arg("Veltrin"),
                        false);
}

QString Institutions::LogText(const QString& action, const Institution& row)
{
    // The password never goes into the log, which the help-desk send ships.
    return action + ", Name " + row.Name + ", ApOut " + row.APOUT + ", ApIn " + row.APIN +
           ", ApID10 " + row.APID10 + ", ApPass ****" + ", ApBCode " + row.APBCODE +
           ", BankNoApt " + row.BankNoApt;
}

InstitutionSave Institutions::Save(Institution& row, bool isNew)
{
    using F = InstitutionField;
    if (row.Name.trimmed().isEmpty())
        return shell::RefuseSave(m_ui, "기관명칭 항목이 누락되었습니다.", F::Name);
    if (row.APOUT.trimmed().size() != 5)
        return shell::RefuseSave(m_ui, "송신화일정보를 정확히 입력하세요.", F::APOUT);
    if (row.APIN.trimmed().size() != 5)
        return shell::RefuseSave(m_ui, "수신화일정보를 정확히 입력하세요.", F::APIN);
    if (row.APBCODE.trimmed().size() != 7)
        return shell::RefuseSave(m_ui, "거래은행 ID를 정확히 입력하세요.", F::APBCODE);
    if (row.APID10.trimmed().isEmpty())
        return shell::RefuseSave(m_ui, "Veltrin 기관코드 항목이 누락되었습니다.", F::APID10);
    if (row.APPASS.trimmed().isEmpty())
        return shell::RefuseSave(m_ui, "Veltrin 비밀번호 항목이 누락되었습니다.", F::APPASS);
    const platform::Result<std::optional<Institution>> other = FindByCode(row.APID10);
    if (!other) {
        m_ui.ShowError(other.error());
        return {false, F::APID10};
    }
    if (*other && (*other)->Rec != row.Rec) {
        if (!m_ui.Confirm("Veltrin 기관코드가 중복됩니다.\r\r계속 진행하시겠습니까?", false))
            return {false, F::APID10};
    }
    // A number the library cannot show hyphenated is kept as entered.
    row.BankNoApt = store::HyphenateOrKeep("12", row.BankNoApt);
    row.TREGISTERIN = row.TREGISTEROUT = "NA200";

    QSqlQuery q(m_db);
    if (isNew)
        q.prepare("INSERT INTO UserCode (Name, APOUT, APIN, APPASS, APID10, APBCODE, BankNoApt, "
                  "TREGISTEROUT, TREGISTERIN, AUTHSENDTYPE) VALUES (:Name, :APOUT, :APIN, :APPASS, "
                  ":APID10, :APBCODE, :BankNoApt, :TREGISTEROUT, :TREGISTERIN, :AUTHSENDTYPE)");
    else
        q.prepare("UPDATE UserCode SET Name = :Name, APOUT = :APOUT, APIN = :APIN, APPASS = :APPASS, "
                  "APID10 = :APID10, APBCODE = :APBCODE, BankNoApt = :BankNoApt, "
                  "TREGISTEROUT = :TREGISTEROUT, TREGISTERIN = :TREGISTERIN, "
                  "AUTHSENDTYPE = :AUTHSENDTYPE WHERE Rec = :Rec");
    const QList<QPair<const char*, QString>> values = {
        {":Name", row.Name},       {":APOUT", row.APOUT},         {":APIN", row.APIN},
        {":APPASS", row.APPASS},   {":APID10", row.APID10},       {":APBCODE", row.APBCODE},
        {":BankNoApt", row.BankNoApt}, {":TREGISTEROUT", row.TREGISTEROUT},
        {":TREGISTERIN", row.TREGISTERIN}, {":AUTHSENDTYPE", row.AUTHSENDTYPE}};
    for (const auto& [name, value] : values)
        q.bindValue(name, store::TrimRight(value));
    if (!isNew)
        q.bindValue(":Rec", row.Rec);
    if (!q.exec()) {
        QString column;
        const store::WriteFault fault = store::ClassifyError(q.lastError(), &column);
        if (fault == store::WriteFault::Duplicate)
            return shell::RefuseSave(m_ui, "기관명칭이 중복됩니다.", F::Name);
        return shell::RefuseSave(m_ui, "입력한 내용이 불충분합니다.",
                                 fieldOf(column.section('.', 1)));
    }
    if (isNew)
        row.Rec = q.lastInsertId().toLongLong();
    shell::WriteLog(LogText(isNew ? "입력" : "수정", row));
    return {true, F::None};
}

bool Institutions::Delete(const Institution& row, int selected)
{
    if (!ConfirmInUse(row))
        return false;
    if (!m_ui.Confirm(QString("선택된 %1 개의 자료를 삭제하시겠습니까?").arg(selected > 0 ? selected : 1),
                      false))
        return false;
    QSqlQuery q(m_db);
    q.prepare("DELETE FROM UserCode WHERE Rec = :Rec");
    q.bindValue(":Rec", row.Rec);
    if (!q.exec()) {
        m_ui.ShowError(store::WriteErrorMessage(q.lastError()));
        return false;
    }
    shell::WriteLog(LogText("삭제", row));
    return true;
}

} // namespace codes
