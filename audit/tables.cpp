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
    return col("AptID") + " || '/' || " + col("Apt2ID") + " || ' ' || trim(" + col("Dong") +
           ") || '-' || trim(" + col("Ho") + ")";
}

const QList<Recorded>& recordedTables()
{
    static const QList<Recorded> tables = {
        {"Apt1", col("AptID"), "coalesce(R.GiganID10, R.GiganID)", {"State"}, {"Pass"}},
        {"Apt2", lineKey(),
         "(SELECT coalesce(b.GiganID10, b.GiganID) FROM main.Apt1 b WHERE b.AptID = R.AptID)",
         {"State"}, {}, "IcheYebu"},
        {"GroupAp1", col("AptID") + " || ' ' || " + col("GroupName"),
         "coalesce(R.GiganID10, R.GiganID)", {"State"}, {"Pass"}},
        {"GroupAp2", lineKey(),
         "(SELECT coalesce(g.GiganID10, g.GiganID) FROM main.GroupAp1 g WHERE g.AptID = R.AptID)",
         {"State"}, {}},
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
                  const QString& newValue, const QString& schema)
{
    // The values are taken once in the inner select and hashed as stored;
    // audit_now() holds one moment for the whole transaction.
    // The log unqualified: a trigger may not name the schema of the table it
    // writes, and the temporary ones find the attached record by name.
    return QString("INSERT INTO AuditLog (Seq, Time, OsUser, Program, Action, TableName, "
                   "RowKey, Institution, Field, OldValue, NewValue, Prev, Hash) "
                   "SELECT s, t, u, p, a, tb, k, i, f, o, n, prev, "
                   "audit_hash(s, t, u, p, a, tb, k, i, f, o, n, prev) FROM "
                   "(SELECT h.Seq + 1 AS s, audit_now() AS t, audit_user() AS u, "
                   "audit_program() AS p, %2 AS a, %3 AS tb, coalesce(%4, '') AS k, "
                   "coalesce(%5, '') AS i, coalesce(%6, '') AS f, %7 AS o, %8 AS n, "
                   "h.Hash AS prev FROM %1.AuditHead h)")
        .arg(schema, action, table, key, institution, field, oldValue, newValue);
}

QStringList TriggerSql(const std::function<QStringList(const QString& table)>& columnsOf)
{
    QStringList out;
    for (const Recorded& t : recordedTables()) {
        const QStringList columns = columnsOf(t.name);
        if (columns.isEmpty())
            continue;
        const QString inst = t.institution.isEmpty() ? QStringLiteral("NULL") : t.institution;
        const QString table = quoted(t.name);
        out.append(QString("CREATE TEMP TRIGGER audit_%1_insert AFTER INSERT ON main.%1 "
                           "WHEN audit_rows() BEGIN %2; END")
                       .arg(t.name, AppendSql(quoted(action::Insert), table, over(t.key, "NEW"),
                                              over(inst, "NEW"), "NULL", "NULL",
                                              over(summary(t, columns), "NEW"))));
        out.append(QString("CREATE TEMP TRIGGER audit_%1_delete AFTER DELETE ON main.%1 "
                           "WHEN audit_rows() BEGIN %2; END")
                       .arg(t.name, AppendSql(quoted(action::Delete), table, over(t.key, "OLD"),
                                              over(inst, "OLD"), "NULL",
                                              over(summary(t, columns), "OLD"), "NULL")));
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
            out.append(
                QString("CREATE TEMP TRIGGER audit_%1_%2_update AFTER UPDATE OF %2 ON main.%1 "
                        "WHEN audit_rows() AND NEW.%2 IS NOT OLD.%2 BEGIN %3; END")
                    .arg(t.name, c,
                         AppendSql(quoted(act), table, over(t.key, "NEW"), over(inst, "NEW"),
                                   quoted(c), secret ? "NULL" : "audit_text(OLD." + c + ")",
                                   secret ? quoted(kSecretChanged)
                                          : "audit_text(NEW." + c + ")")));
        }
    }
    return out;
}

} // namespace audit::detail
