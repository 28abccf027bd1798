#include "store/migration.h"

#include "codes/bank_groups.h"
#include "shell/log.h"
#include "shell/text_helpers.h"
#include "store/account_numbers.h"
#include "store/follow_up_actions.h"
#include "store/database.h"
#include "store/layout_repair.h"
#include "store/result_codes.h"
#include "store/schema.h"
#include "store/shipped_closures.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace store {
namespace {

struct Step
{
    QSqlDatabase& db;
    MigrationResult& result;

    bool fail(const QString& step, const QSqlQuery& q)
    {
        result.step = step;
        result.error = q.lastError().text();
        return false;
    }

    bool exec(const QString& step, const QString& sql)
    {
        QSqlQuery q(db);
        if (!q.exec(sql))
            return fail(step, q);
        return true;
    }

    bool create(const QString& table, Layout layout = Layout::Current)
    {
        if (TableExists(db, table))
            return true;
        const platform::Result<> created = CreateTable(db, *FindTable(table), layout);
        if (!created) {
            result.step = "CREATE " + table;
            result.error = created.error();
        }
        return created.ok();
    }

    // Adds the column (as the current layout defines it) when missing, then
    // fills it with `fill`.
    bool addColumn(const QString& table, const QString& column, const QString& fill)
    {
        if (ColumnExists(db, table, column))
            return true;
        const TableDef* def = FindTable(table);
        const QString step = "ALTER TABLE " + table + " ADD " + column;
        // Adding a checked column re-checks every old row against every
        // check of the table; rows an older release accepted must not stop
        // the upgrade, so the old rows are taken as they are.
        const bool added = exec(step, "PRAGMA ignore_check_constraints=ON") &&
                           exec(step, "ALTER TABLE " + table + " ADD COLUMN " +
                                          ColumnSql(def->name, *def->field(column)));
        exec(step, "PRAGMA ignore_check_constraints=OFF");
        return added && exec(step, fill);
    }
};

bool fillDisplayBankno(QSqlDatabase& db, MigrationResult& result)
{
    QSqlQuery rows(db);
    rows.setForwardOnly(true);
    if (!rows.exec("SELECT rowid, Bankno, Giganid, NapbuNO FROM TongRegister"
                   " WHERE DisplayBankno IS NULL OR DisplayBankno = ''")) {
        result.step = "DisplayBankno";
        result.error = rows.lastError().text();
        return false;
    }
    QList<std::tuple<qint64, QString, QString>> pending;
    while (rows.next())
        pending.append({rows.value(0).toLongLong(), rows.value(1).toString(),
                        rows.value(2).toString() + "/" + rows.value(3).toString()});
    rows.finish();
    if (pending.isEmpty())
        return true;

    QSqlQuery update(db);
    update.prepare("UPDATE TongRegister SET DisplayBankno = :d WHERE rowid = :r");
    for (const auto& [rowid, bankNo, who] : pending) {
        update.bindValue(":d", DisplayBankno(bankNo));
        update.bindValue(":r", rowid);
        if (!update.exec()) {
            // One refused row must not leave every later consent without
            // its display number: note it and go on. A table that does not
            // answer at all stops the step.
            if (!IsRowRefusal(update.lastError())) {
                result.step = "DisplayBankno";
                result.error = WriteErrorMessage(update.lastError());
                return false;
            }
            ++result.skippedConsents;
            shell::WriteLog("출금동의 DisplayBankno 변환 실패 " + who + " " +
                                update.lastError().databaseText(),
                            true);
        }
    }
    return true;
}

} // namespace

QString DisplayBankno(const QString& bankNo)
{
    return shell::PadZeros(StripHyphens(bankNo), 14, false);
}

MigrationResult RunMigration(QSqlDatabase& db, const QString& closuresFile)
{
    MigrationResult result;
    Step s{db, result};

    // The tables every release had: a file that lost one gets it back empty,
    // so that the later steps have something to alter.
    for (const TableDef& t : Tables())
        if (!t.createdByMigration && !s.create(t.name))
            return result;

    // Consents and their import layouts.
    if (!s.create("TongRegister"))
        return result;
    if (!TableExists(db, "TongRegisterConv")) {
        if (!s.create("TongRegisterConv") ||
            !s.exec("INSERT TongRegisterConv",
                    "INSERT INTO TongRegisterConv  "
                    " VALUES('출금동의',0,1,6,8,10,18,2,25,14,39,14,53,13,66,8,74,2,88,6,94,1)"))
            return result;
    }

    // Consent switches of the banks; always on for the own bank group.
    if (!s.addColumn("BankCode", "MONEYLAW", " UPDATE  BANKCODE SET MONEYLAW = 0 ") ||
        !s.addColumn("BankCode", "JUMINCHECK", " UPDATE  BANKCODE SET JUMINCHECK = 0 ") ||
        !s.addColumn("BankCode", "SENDVERSION", " UPDATE  BANKCODE SET SENDVERSION = '0' "))
        return result;
    const QString ownBanks = "  WHERE " + codes::OwnBankSql("ID") + " ";
    if (!s.exec("BANKCODE", "UPDATE BANKCODE SET SENDVERSION = '1'" + ownBanks) ||
        !s.exec("BANKCODE", "UPDATE BANKCODE SET MONEYLAW = 1" + ownBanks) ||
        !s.exec("BANKCODE", "UPDATE BANKCODE SET JUMINCHECK = 1" + ownBanks))
        return result;

    // Institutions: consent file codes and evidence kind.
    if (!s.addColumn("UserCode", "TREGISTERIN", " UPDATE  USERCODE SET TREGISTERIN = 'NA200' ") ||
        !s.addColumn("UserCode", "TREGISTEROUT", " UPDATE  USERCODE SET TREGISTEROUT = 'NA200' ") ||
        !s.addColumn("UserCode", "AUTHSENDTYPE", " UPDATE USERCODE SET AUTHSENDTYPE = '' "))
        return result;

    // Consents: the 14-digit account form.
    if (!s.addColumn("TongRegister", "DisplayBankno", " UPDATE  TongRegister SET DisplayBankno = '' ") ||
        !fillDisplayBankno(db, result))
        return result;

    if (!s.create("EvidentialAuthKey") || !s.create("Evidential") || !s.create("EvidenceUpload"))
        return result;

    // Ten-character institution codes, result codes, four-character results.
    if (!s.addColumn("UserCode", "APID10", "update USERCODE set APID10=APID;") ||
        !s.addColumn("Apt1", "GiganID10", "update Apt1 set GiganID10=GiganID;") ||
        !s.addColumn("GroupAp1", "GiganID10", "update GroupAp1 set GiganID10=GiganID;"))
        return result;
    // Consents and their evidence under the institution code as the
    // institutions spell it, which the bank answers under. A row whose
    // repaired key another row already has is left as it is.
    const auto registeredSpelling = [](const QString& table, const QString& column) {
        return QString(
                   "UPDATE OR IGNORE %1 SET %2 = (SELECT u.APID10 FROM UserCode u "
                   "WHERE u.APID10 = %1.%2 COLLATE NOCASE ORDER BY u.Rec LIMIT 1) "
                   "WHERE NOT EXISTS (SELECT 1 FROM UserCode u WHERE u.APID10 = %1.%2) "
                   "AND EXISTS (SELECT 1 FROM UserCode u WHERE u.APID10 = %1.%2 COLLATE NOCASE)")
            .arg(table, column);
    };
    if (!s.exec("TongRegister Giganid", registeredSpelling("TongRegister", "Giganid")) ||
        !s.exec("Evidential CUSTNO", registeredSpelling("Evidential", "CUSTNO")))
        return result;
    {
        QSqlQuery q(db);
        if (!q.exec("select count(id) as cnt_id from CodeP where id='0000';") || !q.next())
            return s.fail("CodeP", q), result;
        if (q.value(0).toInt() <= 0) {
            if (!s.exec("CodeP", "delete from CodeP;"))
                return result;
            QSqlQuery ins(db);
            ins.prepare("insert into CodeP (id,Name) values (:id,:name);");
            for (const auto& [id, name] : ResultCodeSeeds()) {
                ins.bindValue(":id", id);
                ins.bindValue(":name", name);
                if (!ins.exec())
                    return s.fail("CodeP", ins), result;
            }
        }
    }
    if (!s.addColumn("Apt2", "ResultID4", "update Apt2 set ResultID4 = ResultID;") ||
        !s.addColumn("GroupAp2", "ResultID4", "update GroupAp2 set ResultID4 = ResultID;"))
        return result;

    // The business calendar, and the closures this release knows of.
    if (!s.create("BizCalendar"))
        return result;
    // The hand-over journal and the kept answers.
    for (const char* table : {"SendJournal", "SendJournalFile", "SendJournalBatch",
                              "SendJournalLine", "SendJournalConsent", "ReceivedAnswer"})
        if (!s.create(table))
            return result;
    // The follow-up rules, seeded once: a branch's own edits stay.
    if (!TableExists(db, "FollowUpRule")) {
        if (!s.create("FollowUpRule"))
            return result;
        QSqlQuery ins(db);
        ins.prepare("INSERT INTO FollowUpRule (ResultCode, Action, Cap) VALUES (?, ?, ?)");
        for (const FollowUpSeed& seed : FollowUpSeeds()) {
            ins.addBindValue(QString::fromLatin1(seed.code));
            ins.addBindValue(StoredValue(seed.action));
            ins.addBindValue(seed.action == FollowUpAction::Represent
                                 ? QVariant(kDefaultRepresentCap)
                                 : QVariant());
            if (!ins.exec())
                return s.fail("FollowUpRule", ins), result;
        }
    }
    if (!s.create("RepresentedLine") || !s.create("AuditChain"))
        return result;
    if (const platform::Result<> loaded = LoadShippedClosures(db, closuresFile); !loaded) {
        result.step = "BizCalendar";
        result.error = loaded.error();
        return result;
    }

    // Table definitions that other SQLite tools can write; indexes as the
    // layout has them.
    if (const std::optional<FailedStep> stopped = RepairTableLayouts(db)) {
        result.step = stopped->step;
        result.error = stopped->error;
        return result;
    }

    // Indexes over columns that the steps above added.
    for (const TableDef& t : Tables())
        for (const QString& sql : CreateIndexSql(t, Layout::Current))
            if (!s.exec("INDEX " + t.name, sql))
                return result;

    result.ok = true;
    return result;
}

} // namespace store
