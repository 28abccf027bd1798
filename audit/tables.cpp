#include "audit/tables.h"

#include "audit/record.h"

#include <QList>

#include <functional>

namespace audit::detail {
namespace {

struct Recorded
{
    QString name;
    QString key;         // SQL over R (the row), R. replaced by NEW./OLD.
    QString institution; // SQL over R, or empty
    QStringList states;  // columns whose change is a 상태변경
    QStringList secrets; // recorded as changed, never with their value
    QString outcome = {}; // the column a counting Quiet tallies
    QString instHead = {}; // the head table whose row (R.AptID) names the institution
    QStringList lineKey = {}; // a line's key parts, joined by the gathering itself
};

QString col(const QString& c)
{
    return QString("coalesce(audit_text(R.%1), '')").arg(c);
}

QString joined(const QStringList& cols, const QString& sep)
{
    QStringList parts;
    for (const QString& c : cols)
        parts.append(col(c));
    return parts.join(QString(" || '%1' || ").arg(sep));
}

QString lineKey()
{
    // Batch/line, then the payer's 동-호, which is how a branch names a line.
    // Built once a changed line: the numbers are whole, the 동 and 호 text.
    return "coalesce(R.AptID, '') || '/' || coalesce(R.Apt2ID, '') || ' ' || "
           "trim(coalesce(R.Dong, '')) || '-' || trim(coalesce(R.Ho, ''))";
}

// The parts of lineKey(), in its order, for a gathered change of a line.
const QStringList kLineKeyParts = {"AptID", "Apt2ID", "Dong", "Ho"};

const QList<Recorded>& recordedTables()
{
    static const QList<Recorded> tables = {
        {"Apt1", col("AptID"), "coalesce(R.GiganID10, R.GiganID)", {"State"}, {"Pass"}},
        {"Apt2", lineKey(), "R.AptID", {"State"}, {}, "IcheYebu", "Apt1", kLineKeyParts},
        {"GroupAp1", col("AptID") + " || ' ' || " + col("GroupName"),
         "coalesce(R.GiganID10, R.GiganID)", {"State"}, {"Pass"}},
        {"GroupAp2", lineKey(), "R.AptID", {"State"}, {}, {}, "GroupAp1", kLineKeyParts},
        {"UserCode", "coalesce(R.APID10, R.APID, '') || ' ' || " + col("Name"),
         "coalesce(R.APID10, R.APID)", {}, {"JAPASS", "SIPASS", "CHPASS", "TOPASS", "TO2PASS",
                                             "APPASS"}},
        {"BankCode", col("Id"), "", {}, {}},
        {"CodeP", col("id"), "", {}, {}},
        {"CodeS", col("id"), "", {}, {}},
        {"APTCONV", col("Name"), "", {}, {}},
        {"TongRegisterConv", col("NAME"), "", {}, {}},
        {"TongRegister", joined({"Giganid", "Bankcd", "Bankno", "NapbuNO"}, " "), "R.Giganid",
         {"Status"}, {"JuminNO"}, "Status"},
        {"Evidential", joined({"BANKCD", "CUSTNO", "CMSSERIALNO"}, " "), "R.CUSTNO",
         {"SENDSTATE"}, {}},
        {"EvidentialAuthKey", col("SendId"), "", {}, {"AuthKey"}},
        {"BizCalendar", joined({"CalDate", "Source"}, " "), "", {}, {}},
        {"FollowUpRule", col("ResultCode"), "", {}, {}},
    };
    return tables;
}

QString over(QString sql, const char* row)
{
    return sql.replace("R.", QString(row) + '.');
}

QString quoted(const QString& text)
{
    return "'" + QString(text).replace('\'', "''") + "'";
}

bool listed(const QStringList& list, const QString& c)
{
    return list.contains(c, Qt::CaseInsensitive);
}

// "Col=value, …" of a whole row, secrets left out: what an inserted row
// brought or a deleted one took away.
QString summary(const Recorded& t, const QStringList& columns)
{
    QStringList parts;
    for (const QString& c : columns)
        if (!listed(t.secrets, c))
            parts.append(QString("'%1=' || %2").arg(c, col(c)));
    return parts.isEmpty() ? "NULL" : parts.join(" || ', ' || ");
}

} // namespace

QString AppendSql(const QString& action, const QString& table, const QString& key,
                  const QString& institution, const QString& field, const QString& oldValue,
                  const QString& newValue, const QString& items, const QString& when)
{
    // The values are taken once in the inner select and hashed as stored;
    // audit_now() holds one moment for the whole transaction. The log
    // unqualified: a trigger may not name the schema of the table it
    // writes, and the temporary ones find the attached record by name.
    return QString("INSERT INTO AuditLog (Seq, Time, OsUser, Program, Action, TableName, "
                   "RowKey, Institution, Field, OldValue, NewValue, Prev, Hash, Items) "
                   "SELECT s, t, u, p, a, tb, k, i, f, o, n, prev, "
                   "audit_hash(s, t, u, p, a, tb, k, i, f, o, n, prev, it), it FROM "
                   "(SELECT h.Seq + 1 AS s, audit_now() AS t, audit_user() AS u, "
                   "audit_program() AS p, %1 AS a, %2 AS tb, coalesce(%3, '') AS k, "
                   "coalesce(%4, '') AS i, coalesce(%5, '') AS f, %6 AS o, %7 AS n, "
                   "h.Hash AS prev, %8 AS it FROM audit.AuditHead h%9)")
        .arg(action, table, key, institution, field, oldValue, newValue, items,
             when.isEmpty() ? QString() : " WHERE " + when);
}

namespace {

// The two triggers of one change of a row, `name`d `name`_g and `name`:
// gathered while a guarded transaction runs (written just before its
// commit), else appended at once by audit_append(), which writes the record
// with a statement of its own. Neither names the record's tables, so that a
// change of the data is not a write on the record file for the engine: a
// bulk change pays no savepoint of that file per row.
QStringList changeTriggers(const QString& name, const QString& event, const QString& when,
                           const QString& action, const QString& table, const QString& key,
                           const QString& institution, const QString& instHead,
                           const QString& field, const QString& oldValue,
                           const QString& newValue, const QString& rawOld = {},
                           const QString& rawNew = {}, const QString& keyParts = {})
{
    // The column's own test first: it costs no function call.
    const QString head = "CREATE TEMP TRIGGER %1 %2 WHEN %4audit_rows() AND %3 BEGIN %5; END";
    const QString extra = when.isEmpty() ? QString() : when + " AND ";
    // Gathered with the values as stored, shown when written.
    // A line's key is joined by the gathering from its parts: cheaper than
    // the SQL that builds it.
    const QString gather = QString("SELECT audit_collect(%1, %2, %3, %4, %5, %6, %7, %8%9)")
                               .arg(action, table, keyParts.isEmpty() ? key : QString("NULL"),
                                    quoted(instHead), institution, field,
                                    rawOld.isEmpty() ? oldValue : rawOld,
                                    rawNew.isEmpty() ? newValue : rawNew,
                                    keyParts.isEmpty() ? QString() : ", " + keyParts);
    const QString append =
        QString("SELECT audit_append(%1, %2, %3, %4, %5, %6, %7)")
            .arg(action, table, key,
                 instHead.isEmpty() ? institution
                                    : QString("(SELECT coalesce(h.GiganID10, h.GiganID) FROM "
                                              "main.%1 h WHERE h.AptID = %2)")
                                          .arg(instHead, institution),
                 field, oldValue, newValue);
    return {head.arg(name + "_g", event, "audit_collecting()", extra, gather),
            head.arg(name, event, "NOT audit_collecting()", extra, append)};
}

} // namespace

QStringList TriggerSql(const std::function<QStringList(const QString& table)>& columnsOf)
{
    QStringList out;
    for (const Recorded& t : recordedTables()) {
        const QStringList columns = columnsOf(t.name);
        if (columns.isEmpty())
            continue;
        const QString inst = t.institution.isEmpty() ? QStringLiteral("NULL") : t.institution;
        const QString table = quoted(t.name);
        QStringList newParts, oldParts;
        for (const QString& part : t.lineKey) {
            newParts << "NEW." + part;
            oldParts << "OLD." + part;
        }
        const QString newKey = newParts.join(", ");
        const QString oldKey = oldParts.join(", ");
        out += changeTriggers("audit_" + t.name + "_insert", "AFTER INSERT ON main." + t.name, {},
                              quoted(action::Insert), table, over(t.key, "NEW"), over(inst, "NEW"),
                              t.instHead, "NULL", "NULL", over(summary(t, columns), "NEW"), {}, {},
                              newKey);
        out += changeTriggers("audit_" + t.name + "_delete", "AFTER DELETE ON main." + t.name, {},
                              quoted(action::Delete), table, over(t.key, "OLD"), over(inst, "OLD"),
                              t.instHead, "NULL", over(summary(t, columns), "OLD"), "NULL", {}, {},
                              oldKey);
        if (!t.outcome.isEmpty() && columns.contains(t.outcome, Qt::CaseInsensitive))
            out.append(QString("CREATE TEMP TRIGGER audit_%1_tally AFTER UPDATE OF %2 ON main.%1 "
                               "WHEN audit_tallying() AND NEW.%2 IS NOT OLD.%2 BEGIN "
                               "SELECT audit_tally(%3, NEW.rowid, NEW.%2); END")
                           .arg(t.name, t.outcome, table));
        // One trigger per column, as the byte limits have it: an update pays
        // only for the columns it sets.
        for (const QString& c : columns) {
            const bool secret = listed(t.secrets, c);
            const QString act = listed(t.states, c) ? action::StateChange : action::Update;
            out += changeTriggers(
                QString("audit_%1_%2_update").arg(t.name, c),
                QString("AFTER UPDATE OF %2 ON main.%1").arg(t.name, c),
                QString("NEW.%1 IS NOT OLD.%1").arg(c), quoted(act), table, over(t.key, "NEW"),
                over(inst, "NEW"), t.instHead, quoted(c),
                secret ? "NULL" : "audit_text(OLD." + c + ")",
                secret ? quoted(kSecretChanged) : "audit_text(NEW." + c + ")",
                secret ? "NULL" : "OLD." + c, secret ? quoted(kSecretChanged) : "NEW." + c,
                newKey);
        }
    }
    return out;
}

} // namespace audit::detail
