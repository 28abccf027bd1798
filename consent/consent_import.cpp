#include "consent/consent_import.h"

#include "audit/record.h"

#include "codes/import_layouts.h"
#include "consent/consent_register.h"
#include "shell/clock.h"
#include "shell/codec.h"
#include "shell/log.h"
#include "shell/text_helpers.h"
#include "shell/ui.h"
#include "shell/wait_scope.h"
#include "store/database.h"
#include "store/transaction_guard.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QSqlQuery>
#include <QVariant>

namespace consent {
namespace {

constexpr int kColumns = 10;
constexpr int kInstitution = 1, kBank = 2, kAccount = 3, kPayer = 4, kJumin = 5, kDate = 6,
              kAutoDay = 7, kBranch = 8;

QString cell(const QStringList& row, int column)
{
    return column < row.size() ? row[column].trimmed() : QString();
}

ConsentLayout layoutFrom(const QSqlQuery& q)
{
    ConsentLayout l;
    l.NAME = q.value("NAME").toString();
    l.LEN = q.value("LEN").toInt();
    for (int i = 0; i < kColumns; ++i) {
        l.start[i] = q.value(QString("FIELD%1S").arg(i + 1)).toInt();
        l.size[i] = q.value(QString("FIELD%1N").arg(i + 1)).toInt();
    }
    return l;
}

// The keys of the register as its duplicate rule compares them: hyphens
// left out of the account, the payer number in upper case.
QString keyOf(const QString& giganid, const QString& bankcd, const QString& bankno,
              const QString& napbuno)
{
    return giganid.toUpper() + '\x1f' + bankcd + '\x1f' + QString(bankno).remove('-') + '\x1f' +
           napbuno.toUpper();
}

// Read once, so that a large sheet is not one table scan per row. The
// failure is the user's message.
platform::Result<QSet<QString>> registeredKeys(const QSqlDatabase& db)
{
    QSet<QString> keys;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec("SELECT Giganid, Bankcd, Bankno, NapbuNO FROM TongRegister"))
        return platform::Fail(store::ReadFailureMessage(q.lastError()));
    while (q.next())
        keys.insert(keyOf(q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                          q.value(3).toString()));
    return keys;
}

bool writeReport(const QString& path, const QStringList& entries)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QByteArray out;
    for (const QString& e : entries)
        out += shell::ToCp949(e) + "\r\n";
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(out) == out.size();
}

} // namespace

QStringList ImportColumnNames()
{
    return {"이름",     "기관업체코드", "은행코드",     "계좌번호", "납부자번호",
            "실명번호", "고객신청일자", "자동납부일자", "지점코드", "실명번호검사"};
}

QList<shell::LayoutRow> ConsentLayout::rows() const
{
    QList<shell::LayoutRow> out;
    const QStringList names = ImportColumnNames();
    for (int i = 0; i < kColumns; ++i)
        out.append({names[i], start[i], size[i]});
    return out;
}

QList<ConsentLayout> ReadConsentLayouts(const QSqlDatabase& db)
{
    QList<ConsentLayout> out;
    QSqlQuery q(db);
    if (q.exec("SELECT * FROM TongRegisterConv ORDER BY NAME"))
        while (q.next())
            out.append(layoutFrom(q));
    return out;
}

bool SaveConsentLayout(const QSqlDatabase& db, shell::Ui& ui, const ConsentLayout& layout,
                       const QString& oldName)
{
    QList<QPair<QString, QVariant>> values = {{"NAME", layout.NAME.trimmed()}, {"LEN", layout.LEN}};
    for (int i = 0; i < kColumns; ++i)
        values << qMakePair(QString("FIELD%1S").arg(i + 1), QVariant(layout.start[i]))
               << qMakePair(QString("FIELD%1N").arg(i + 1), QVariant(layout.size[i]));
    return codes::SaveLayoutRow(db, ui, "TongRegisterConv", "NAME", oldName, values);
}

bool DeleteConsentLayout(const QSqlDatabase& db, const QString& name)
{
    QSqlQuery q(db);
    q.prepare("DELETE FROM TongRegisterConv WHERE NAME = :name");
    q.bindValue(":name", name);
    return q.exec();
}

ConsentPreview CheckConsentRows(const QList<QStringList>& rows, const codes::CodeLists& codes)
{
    ConsentPreview out;
    if (rows.isEmpty())
        return out;
    out.rows.append(rows.first());
    const int today = shell::DateNumber(shell::Today());
    for (qsizetype r = 1; r < rows.size(); ++r) {
        QStringList row;
        QList<int> bad, badAccount;
        QStringList badValues, badAccountValues;
        const bool noInstitution = cell(rows[r], kInstitution).isEmpty();
        for (int c = 0; c < kColumns; ++c) {
            const QString text = cell(rows[r], c);
            if (noInstitution && (c < kInstitution || c > kPayer)) {
                row.append(text);
                continue;
            }
            codes::FieldCheck check = codes::CheckTemplateField(false, c, text, codes);
            if (c == kJumin && check.accepted &&
                shell::RefusesResidentNumber("11", today, check.value))
                check.accepted = false;
            row.append(check.accepted ? check.value : text);
            if (check.accepted)
                continue;
            if (c == kAccount) {
                badAccount.append(c + 1);
                badAccountValues.append(text);
            } else {
                bad.append(c + 1);
                badValues.append(text);
            }
        }
        const QString first = cell(rows[r], 0);
        if (!bad.isEmpty())
            out.errors.append(shell::PreviewErrorLine(int(r) + 1, first, bad, badValues));
        if (!badAccount.isEmpty())
            out.accountErrors.append(
                shell::PreviewErrorLine(int(r) + 1, first, badAccount, badAccountValues));
        out.rows.append(row);
    }
    return out;
}

ConsentImportOutcome ImportConsentRows(QSqlDatabase db, shell::Ui& ui,
                                       const QList<QStringList>& rows, const QString& caption,
                                       const QString& layoutName, const QString& fileName,
                                       const QString& tempDir)
{
    ConsentImportOutcome out;
    shell::WriteLog(caption + " 자료변환시작" + ", FileName " + fileName);
    const QString progress = QStringLiteral("자료 변환 중...현재 %1건 처리");
    {
        shell::WaitScope wait(ui, progress.arg(0));
        platform::Result<QSet<QString>> read = registeredKeys(db);
        if (!read) {
            ui.ShowError(read.error());
            out.failed = true;
            return out;
        }
        QSet<QString> registered = std::move(*read);
        // The register itself failed: nothing of the sheet is kept.
        const auto abandon = [&](const QString& message) {
            ui.ShowError(message);
            out.imported = 0;
            out.report.clear();
            out.failed = true;
            return out;
        };
        // Stored as the institutions spell the code, which the bank answers under.
        QHash<QString, QString> registeredCodes;
        store::TransactionGuard tx(db);
        // One row for the file, not one per consent.
        std::optional<audit::Quiet> quiet(std::in_place);
        QSqlQuery insert(db);
        insert.prepare("INSERT INTO TongRegister (NAME, Giganid, Bankcd, Bankno, DisplayBankno, "
                       "NapbuNO, JuminNO, Status, RequestDate, Autoichedate, BanksubCD, "
                       "CheckJumin) VALUES (:name, :g, :b, :n, :d, :p, :j, 0, :rd, :auto, :sub, "
                       "1)");
        for (qsizetype r = 1; r < rows.size(); ++r) {
            const QStringList& row = rows[r];
            const QString number = QString::number(r);
            const QString account = shell::DigitsOnly(cell(row, kAccount));
            const QString payer = cell(row, kPayer).toUpper();
            const QString typed = cell(row, kInstitution);
            auto spelt = registeredCodes.constFind(typed);
            if (spelt == registeredCodes.cend()) {
                const platform::Result<QString> code = RegisteredInstitutionCode(db, typed);
                if (!code)
                    return abandon(code.error());
                spelt = registeredCodes.insert(typed, *code);
            }
            const QString institution = *spelt;
            const QString bank = cell(row, kBank);
            const QString description = "= 기관:" + institution + ", 은행:" + bank +
                                        ", 계좌:" + account + ", 납부자:" + payer;
            const QString key = keyOf(institution, bank, account, payer);
            if (registered.contains(key)) {
                out.report.append("-->[중복]행번호:[" + number + "]" + description);
                continue;
            }
            const QString jumin = cell(row, kJumin);
            if (jumin.isEmpty()) {
                out.report.append("-->[주민번호 누락]행번호:[" + number + "]" + description);
                continue;
            }
            out.report.append("[신규]행번호:[" + number + "]" + description);
            const QString date = cell(row, kDate);
            const QString autoDay = cell(row, kAutoDay);
            const QString requested =
                date.isEmpty() ? shell::Now().toString("yyyy-MM-dd HH:mm:ss") : date + " 00:00:00";
            insert.bindValue(":name", cell(row, 0));
            insert.bindValue(":g", institution);
            insert.bindValue(":b", bank);
            insert.bindValue(":n", account);
            insert.bindValue(":d", DisplayBankno(account));
            insert.bindValue(":p", payer);
            insert.bindValue(":j", jumin);
            insert.bindValue(":rd", requested);
            insert.bindValue(":auto", autoDay.isEmpty() ? QVariant() : QVariant(autoDay.toInt()));
            insert.bindValue(":sub", cell(row, kBranch));
            const bool stored = tx.active() && insert.exec();
            if (!stored && (!tx.active() || !store::IsRowRefusal(insert.lastError()))) {
                return abandon(store::WriteErrorMessage(tx.active() ? insert.lastError()
                                                                    : db.lastError()));
            }
            if (!stored) {
                QStringList cells;
                for (const QString& c : row)
                    cells.append(c);
                out.report.append("행:[" + number + "]\r\n" + cells.join("\r\n"));
                continue;
            }
            registered.insert(key);
            // The wait window cannot show more than a few texts a second.
            if (++out.imported % 100 == 0)
                ui.ShowWaitMessage(progress.arg(out.imported));
        }
        quiet.reset();
        const audit::Change change{audit::action::Import, QStringLiteral("TongRegister"), QString(),
                                   QString(), QStringLiteral("파일"), QVariant(),
                                   QString("%1: 입력 %2건, 거부 %3건")
                                       .arg(QFileInfo(fileName).fileName())
                                       .arg(out.imported)
                                       .arg(qMax<qsizetype>(0, rows.size() - 1) - out.imported)};
        if (const platform::Result<> recorded = audit::Record(db, change); !recorded)
            return abandon(recorded.error());
        if (!tx.commit()) {
            ui.ShowError(store::WriteErrorMessage(tx.error()));
            out.imported = 0;
            out.failed = true;
        }
    }
    shell::WriteLog(caption + " 자료변환" + ", Name " + layoutName + ", Cnt " +
                    QString::number(out.imported) + ", Error " +
                    QString::number(out.report.size()));
    if (!out.report.isEmpty()) {
        const QString path = tempDir + "출금동의신청.txt";
        if (writeReport(path, out.report))
            out.reportPath = path;
        else
            ui.ShowError(path);
    }
    return out;
}

ConsentImportOutcome ImportConsents(QSqlDatabase db, shell::Ui& ui, const QList<QStringList>& rows,
                                    const QString& caption, const QString& layoutName,
                                    const QString& fileName, const QString& tempDir)
{
    ConsentImportOutcome out =
        ImportConsentRows(db, ui, rows, caption, layoutName, fileName, tempDir);
    if (out.failed)
        return out;
    if (!out.reportPath.isEmpty()) {
        ui.ShowInfo(
            QString("총 %1 건의 자료입니다.\r\r자세한 내역은 파일 ").arg(out.report.size()) + "\"" +
            QDir::toNativeSeparators(out.reportPath) + "\"" + "를 참조하시기 바랍니다.");
        ui.OpenInTextEditor(out.reportPath);
    }
    ui.ShowInfo(QString("%1 건의 자료가 변환되었습니다.").arg(out.imported));
    return out;
}

bool Matches(const ConsentRecord& row, const ConsentSearch& s)
{
    const auto same = [](const QString& wanted, const QString& value) {
        return wanted.isEmpty() || wanted == value;
    };
    return same(s.Name, row.NAME) && same(s.JuminNo, row.JuminNO) && same(s.BankNo, row.Bankno) &&
           same(s.NapbuNo, row.NapbuNO);
}

int FindConsent(const QList<ConsentRecord>& rows, int from, const ConsentSearch& search)
{
    for (int i = std::max(from, 0); i < rows.size(); ++i)
        if (Matches(rows[i], search))
            return i;
    return -1;
}

} // namespace consent
