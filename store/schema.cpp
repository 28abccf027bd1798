#include "store/schema.h"

#include <QSqlError>
#include <QSqlQuery>

namespace store {
namespace {

using T = FieldType;

FieldDef S(const char* name, int size, bool required = false)
{
    return {name, T::String, size, required, false};
}
FieldDef F(const char* name, FieldType type, bool required = false)
{
    return {name, type, 0, required, false};
}
FieldDef Added(FieldDef f)
{
    f.addedByMigration = true;
    return f;
}

QList<FieldDef> strings(std::initializer_list<const char*> names, int size)
{
    QList<FieldDef> out;
    for (const char* n : names)
        out.append(S(n, size));
    return out;
}

QList<TableDef> buildTables()
{
    QList<TableDef> t;

    t.append({"Apt1",
              {F("AptID", T::Integer),
               S("GiganID", 8),
               S("FileGubun", 2),
               S("BankCode", 2),
               S("MoBankNo", 16),
               F("IcheDate", T::Date),
               F("IcheEDate", T::Date),
               F("SendDate", T::Date),
               S("Pass", 8),
               F("E1TotNo", T::Integer),
               F("E1TotMon", T::Currency),
               F("E1JunNo", T::Integer),
               F("E1JunMon", T::Currency),
               F("E1JoNo", T::Integer),
               F("E1JoMon", T::Currency),
               F("E1SucNo", T::Integer),
               F("E1SucMon", T::Currency),
               F("Rdate", T::Date),
               F("State", T::SmallInt),
               F("Stime", T::Time),
               F("TotNo", T::Integer),
               F("TotMoney", T::Currency),
               F("DataNo", T::Integer),
               S("Bigo", 80),
               Added(S("GiganID10", 10))},
              {{"Apt1_AptID", {"AptID"}},
               {"Apt1_GiganID10", {"GiganID10"}, false, true},
               {"Apt1_IcheDate", {"IcheDate"}},
               {"Apt1_SendDate", {"SendDate"}},
               {"Apt1_State", {"State"}}}});

    const QList<FieldDef> lineFields = {F("Apt2ID", T::AutoInc), F("AptID", T::Integer),
                                        F("DongInt", T::Float),  S("Dong", 4),
                                        F("HoInt", T::Float),    S("Ho", 4),
                                        S("BankCode", 2),        S("BankNo", 16),
                                        F("IcheDate", T::Date),  F("IcheMoney", T::Currency),
                                        S("IcheYebu", 1),        S("ResultID", 2),
                                        S("NapbuNo", 24)};

    QList<FieldDef> apt2 = lineFields;
    apt2 << F("Rdate", T::Date) << F("State", T::SmallInt) << F("Sdate", T::Date)
         << F("Stime", T::Time) << F("DataNo", T::Integer) << S("Bigo", 20) << S("Kita", 20)
         << Added(S("ResultID4", 4));
    t.append({"Apt2",
              apt2,
              {{"AptDong2", {"AptID", "DongInt", "Dong", "HoInt", "Ho"}, false, true},
               {"Name", {"AptID", "Bigo"}, false, true},
               {"AptICD2", {"AptID", "IcheDate"}, false, true},
               {"AptBID2", {"AptID", "BankCode", "BankNo"}, false, true},
               {"AptID2", {"AptID"}, false, true}}});

    t.append(
        {"GroupAp1",
         {S("GroupName", 20), F("AptID", T::Integer), S("GiganID", 8), S("FileGubun", 2),
          S("BankCode", 2), S("MoBankNo", 16), F("IcheDate", T::Date), F("IcheEDate", T::Date),
          F("SendDate", T::Date), S("Pass", 8), F("State", T::SmallInt), F("TotNo", T::Integer),
          F("TotMoney", T::Currency), S("Bigo", 80), Added(S("GiganID10", 10))},
         {{"GroupAp1_AptID", {"AptID"}},
          {"GroupAp1_GroupName", {"GroupName"}, false, true},
          {"GroupAp1_GiganID10", {"GiganID10"}, false, true}}});

    QList<FieldDef> groupLines = lineFields;
    groupLines << F("State", T::SmallInt) << F("DataNo", T::Integer) << S("Bigo", 20)
               << S("Kita", 20) << Added(S("ResultID4", 4));
    t.append({"GroupAp2", groupLines, {{"GrpApID2", {"AptID"}}}});

    QList<FieldDef> user = {S("Name", 40, true)};
    user << strings({"JAID", "CHID"}, 7) << strings({"TOID", "TOID2", "APID"}, 8)
         << strings({"JAIN", "JAOUT", "SUSININ", "SUSINOUT", "SUCHIN", "SUCHOUT", "TONGIN",
                     "TONGOUT", "TONG2IN", "TONG2OUT"},
                    5)
         << strings({"JAPASS", "SIPASS"}, 4) << S("SIID", 7)
         << strings({"JABCODE", "SIBCODE", "CHBCODE", "TOBCODE", "TO2BCODE"}, 8)
         << strings({"CHPASS", "TOPASS", "TO2PASS"}, 8) << strings({"BankNoT1", "BankNoT2"}, 15)
         << S("APIN", 5) << S("APOUT", 5) << S("APPASS", 8) << S("APBCODE", 8) << S("BankNoApt", 18)
         << strings({"HY1", "HY2", "HY3"}, 5) << S("Mask", 30) << F("Rec", T::AutoInc)
         << F("TOIO", T::Integer) << Added(S("TREGISTERIN", 5)) << Added(S("TREGISTEROUT", 5))
         << Added(S("APID10", 10)) << Added(S("AUTHSENDTYPE", 10));
    t.append({"UserCode",
              user,
              {{"UserCode_PK", {"Name"}, true},
               {"APIDIX", {"APID10"}, false, true, {"APID"}},
               {"Names", {"Name"}, false, true},
               {"TOIDIX", {"TOID"}, false, true},
               {"CHIDIX", {"CHID"}, false, true},
               {"JAIDIX", {"JAID"}, false, true},
               {"TOID2IX", {"TOID2"}, false, true}}});

    t.append({"BankCode",
              {S("Id", 2, true), S("Name", 40), Added(F("MONEYLAW", T::Boolean)),
               Added(F("JUMINCHECK", T::Boolean)), Added(S("SENDVERSION", 1))},
              {{"BankCode_PK", {"Id"}, true}}});

    t.append({"CodeP", {S("id", 4, true), S("Name", 40)}, {{"CodeP_PK", {"id"}, true}}});
    t.append({"CodeS", {S("id", 1, true), S("Name", 20)}, {{"CodeS_PK", {"id"}, true}}});

    QList<FieldDef> conv = {S("Name", 20, true), F("Len", T::Integer)};
    for (const char* item : {"Dong", "Ho", "Name", "BankCode", "BankNo", "IcheMoney", "IcheDate",
                             "NapbuNo", "BankName"}) {
        conv << F((QString(item) + "S").toLatin1().constData(), T::SmallInt)
             << F((QString(item) + "N").toLatin1().constData(), T::SmallInt);
    }
    t.append({"APTCONV", conv, {{"APTCONV_PK", {"Name"}, true}}});

    t.append({"TongRegister",
              {S("Giganid", 10, true), S("Bankcd", 2, true), S("Bankno", 16, true),
               S("NapbuNO", 20, true), F("Status", T::Integer), S("NAME", 20),
               F("Autoichedate", T::SmallInt), S("BanksubCD", 3), F("RequestDate", T::DateTime),
               F("Senddate", T::DateTime), F("Receivedate", T::DateTime), F("ResultCD", T::Integer),
               F("CheckJumin", T::Boolean), S("JuminNO", 13), F("ResultYN", T::Boolean),
               S("FileGubun", 2), Added(S("DisplayBankno", 16))},
              {{"TongRegister_PK", {"Giganid", "Bankcd", "Bankno", "NapbuNO"}, true},
               {"TongRegister_PK_IDX1", {"Status", "Bankcd", "Bankno"}},
               {"TongRegister_PK_IDX2", {"Status", "Senddate"}}},
              true});

    QList<FieldDef> tconv = {S("NAME", 20, true), F("LEN", T::Integer)};
    for (int i = 1; i <= 10; ++i) {
        tconv << F(QString("FIELD%1S").arg(i).toLatin1().constData(), T::Integer)
              << F(QString("FIELD%1N").arg(i).toLatin1().constData(), T::Integer);
    }
    t.append({"TongRegisterConv", tconv, {{"TongRegisterConv_PK", {"NAME"}, true}}, true});

    t.append({"EvidentialAuthKey",
              {S("SendId", 10, true), S("AuthKey", 64, true)},
              {{"EvidentialAuthKey_PK", {"SendId"}, true}},
              true});

    t.append({"Evidential",
              {S("BANKCD", 2, true), S("CUSTNO", 10, true), S("CMSSERIALNO", 20, true),
               S("ACCTNO", 18, true), S("AUTHTYPE", 1), S("AUTHFILE", 40), S("SENDDATE", 8),
               S("SENDSTATE", 1)},
              {{"Evidential_PK", {"BANKCD", "CUSTNO", "CMSSERIALNO"}, true}},
              true});

    // Evidence on its way to the secure-transfer server: a row per consent
    // of a transfer file handed to the secure client, written before the
    // upload and removed with the recording of its outcome. A row still
    // there after a crash means nobody knows whether that file arrived.
    t.append({"EvidenceUpload",
              {S("FILENAME", 60, true), S("BANKCD", 2, true), S("CUSTNO", 10, true),
               S("CMSSERIALNO", 20, true), S("ACCTNO", 18, true), S("STARTED", 19)},
              {{"EvidenceUpload_PK", {"BANKCD", "CUSTNO", "CMSSERIALNO", "ACCTNO"}, true}},
              true});

    // The branch's business calendar: closures announced by the government
    // (Source "공고", shipped in data/closures.txt) and the branch's own
    // closed or re-opened days (Source "지점"), one row per date and source.
    t.append(
        {"BizCalendar",
         {F("CalDate", T::Date, true), S("Kind", 4, true), S("Name", 40), S("Source", 4, true)},
         {{"BizCalendar_PK", {"CalDate", "Source"}, true}},
         true});

    // The hand-over journal: what a send is about to give the link,
    // committed before the link is called and closed with the send's
    // record, so that a send cut off between the two can be settled from
    // the link's transmission report instead of being built again.
    t.append({"SendJournal",
              {F("JournalID", T::AutoInc), F("Prepared", T::DateTime, true),
               F("Closed", T::DateTime), S("Outcome", 20)},
              {},
              true});
    t.append({"SendJournalFile",
              {F("JournalID", T::Integer, true), S("FileName", 60, true), S("FileCode", 8),
               F("Kind", T::SmallInt), S("Giganid", 10), F("IcheDate", T::Date),
               F("Size", T::Integer), S("Sha256", 64), F("Sent", T::SmallInt)},
              {{"SendJournalFile_PK", {"JournalID", "FileName"}, true}},
              true});
    t.append({"SendJournalBatch",
              {F("JournalID", T::Integer, true), S("FileName", 60, true),
               F("AptID", T::Integer, true)},
              {{"SendJournalBatch_JournalID", {"JournalID"}}},
              true});
    t.append({"SendJournalLine",
              {F("JournalID", T::Integer, true), F("AptID", T::Integer, true),
               F("Apt2ID", T::Integer, true)},
              {{"SendJournalLine_JournalID", {"JournalID", "AptID"}}},
              true});
    t.append({"SendJournalConsent",
              {F("JournalID", T::Integer, true), S("FileName", 60, true),
               S("Giganid", 10, true), S("Bankcd", 2, true), S("Bankno", 16, true),
               S("NapbuNO", 20, true)},
              {{"SendJournalConsent_JournalID", {"JournalID"}}},
              true});

    // Every answer file kept from the link, by the hash of its bytes: set
    // applied in the transaction that applies it, so that an answer kept
    // but never applied (a receive cut off) is applied by the next receive
    // and no answer is applied twice.
    t.append({"ReceivedAnswer",
              {S("Sha256", 64, true), S("FileCode", 8), S("KeptPath", 1000), F("Size", T::Integer),
               F("Kept", T::DateTime), F("Applied", T::DateTime), F("Refused", T::DateTime)},
              {{"ReceivedAnswer_PK", {"Sha256"}, true}},
              true});

    // The follow-up of failed withdrawals: what each result code asks for
    // (store::FollowUpAction; a code without a row asks for nothing) and,
    // for a line presented again, the line it re-presents and the first
    // line of its chain, whose presentations the rule's cap counts.
    t.append({"FollowUpRule",
              {S("ResultCode", 4, true), F("Action", T::SmallInt, true), F("Cap", T::SmallInt)},
              {{"FollowUpRule_PK", {"ResultCode"}, true}},
              true});
    t.append({"RepresentedLine",
              {F("Apt2ID", T::Integer, true), F("AptID", T::Integer, true),
               F("FromApt2ID", T::Integer, true), F("OrigApt2ID", T::Integer, true)},
              {{"RepresentedLine_PK", {"Apt2ID"}, true},
               {"RepresentedLine_From", {"FromApt2ID"}},
               {"RepresentedLine_Orig", {"OrigApt2ID"}}},
              true});
    // Which change record (Data/Audit.db) belongs to this data: written when
    // the record starts a chain, so that a record file gone missing is told
    // from one never made (a new workspace, the first start after upgrade).
    t.append({"AuditChain",
              {S("ChainId", 32, true), F("Started", T::DateTime)},
              {{"AuditChain_PK", {"ChainId"}, true}},
              true});
    return t;
}

bool inLayout(const FieldDef& f, Layout layout)
{
    return layout == Layout::Current || !f.addedByMigration;
}

} // namespace

const FieldDef* TableDef::field(const QString& n) const
{
    for (const FieldDef& f : fields)
        if (f.name.compare(n, Qt::CaseInsensitive) == 0)
            return &f;
    return nullptr;
}

const QList<TableDef>& Tables()
{
    static const QList<TableDef> tables = buildTables();
    return tables;
}

const TableDef* FindTable(const QString& name)
{
    for (const TableDef& t : Tables())
        if (t.name.compare(name, Qt::CaseInsensitive) == 0)
            return &t;
    return nullptr;
}

QString IndexedMatch(const QString& table, const QString& column, const QString& value)
{
    const TableDef* t = FindTable(table);
    bool noCase = false;
    for (const IndexDef& index : t ? t->indexes : QList<IndexDef>{}) {
        if (!index.fields.isEmpty() &&
            index.fields.first().compare(column, Qt::CaseInsensitive) == 0) {
            noCase = index.noCase;
            break;
        }
    }
    return column + " = " + value + (noCase ? " COLLATE NOCASE" : "");
}

QString ColumnSql(const QString& table, const FieldDef& f)
{
    if (f.type == T::AutoInc)
        return f.name + " INTEGER PRIMARY KEY AUTOINCREMENT";
    // Texts, dates and times as text; every number but a float as an integer.
    const bool text =
        f.type == T::String || f.type == T::Date || f.type == T::Time || f.type == T::DateTime;
    QString sql = f.name + (text ? " TEXT" : f.type == T::Float ? " REAL" : " INTEGER");
    if (f.required)
        sql += " NOT NULL";
    // A named constraint, so that a refused write can say which field failed.
    if (f.required && f.type == T::String)
        sql += QString(" CONSTRAINT %1_%2_req CHECK (%2 <> '')").arg(table, f.name);
    return sql;
}

QString CreateTableSql(const TableDef& table, Layout layout)
{
    QStringList columns;
    for (const FieldDef& f : table.fields)
        if (inLayout(f, layout))
            columns.append(ColumnSql(table.name, f));
    return "CREATE TABLE " + table.name + " (\n  " + columns.join(",\n  ") + "\n)";
}

QStringList CreateIndexSql(const TableDef& table, Layout layout)
{
    QStringList out;
    for (const IndexDef& ix : table.indexes) {
        bool present = true;
        QStringList cols;
        const QStringList& fields =
            layout == Layout::Oldest && !ix.oldestFields.isEmpty() ? ix.oldestFields : ix.fields;
        for (const QString& c : fields) {
            const FieldDef* f = table.field(c);
            if (!f || !inLayout(*f, layout))
                present = false;
            cols.append(ix.noCase ? c + " COLLATE NOCASE" : c);
        }
        if (!present)
            continue;
        out.append(QString("CREATE %1INDEX IF NOT EXISTS %2 ON %3 (%4)")
                       .arg(ix.unique ? "UNIQUE " : "", ix.name, table.name, cols.join(", ")));
    }
    return out;
}

QString ByteLimitMessage(const QString& table, const QString& field)
{
    return QString("byte limit exceeded: %1_%2_len").arg(table, field);
}

namespace {

// The UTF-8 length is never below the CP949 length, so the cheap test
// leaves the conversion to the rare long value.
QString longerThanLimit(const FieldDef& f)
{
    return QString("length(CAST(NEW.%1 AS BLOB)) > %2").arg(f.name).arg(f.size);
}

QString raiseBeyondLimit(const TableDef& table, const FieldDef& f)
{
    return QString("SELECT RAISE(ABORT, '%1') WHERE cp949_len(NEW.%2) > %3;")
        .arg(ByteLimitMessage(table.name, f.name), f.name)
        .arg(f.size);
}

} // namespace

QString ByteLimitUpdateTriggerSql(const TableDef& table, const FieldDef& f)
{
    return QString("CREATE TEMP TRIGGER IF NOT EXISTS %1_%2_bytes_update BEFORE UPDATE OF %2 ON "
                   "main.%1 WHEN NEW.%2 IS NOT OLD.%2 AND %3 BEGIN %4 END")
        .arg(table.name, f.name, longerThanLimit(f), raiseBeyondLimit(table, f));
}

QString DropByteLimitUpdateTriggerSql(const TableDef& table, const FieldDef& f)
{
    return QString("DROP TRIGGER IF EXISTS temp.%1_%2_bytes_update").arg(table.name, f.name);
}

QStringList ByteLimitTriggerSql(const TableDef& table, const QStringList& present)
{
    // The message names the field as ClassifyError expects it. An update is
    // checked by
    // one trigger per column, which runs only when the statement sets that
    // column: a run over every line of a month (the answer sets two texts
    // of each line) then tests two columns, not every text of the table.
    QStringList insertWhen, insertBody, updates;
    for (const FieldDef& f : table.fields) {
        if (f.type != T::String ||
            (!present.isEmpty() && !present.contains(f.name, Qt::CaseInsensitive)))
            continue;
        insertWhen.append(longerThanLimit(f));
        insertBody.append(raiseBeyondLimit(table, f));
        updates.append(ByteLimitUpdateTriggerSql(table, f));
    }
    if (insertWhen.isEmpty())
        return {};
    return QStringList{QString("CREATE TEMP TRIGGER IF NOT EXISTS %1_bytes_insert BEFORE INSERT "
                               "ON main.%1 WHEN %2 BEGIN %3 END")
                           .arg(table.name, insertWhen.join(" OR "), insertBody.join(' '))} +
           updates;
}

QStringList DropByteLimitTriggerSql(const TableDef& table)
{
    QStringList out = {QString("DROP TRIGGER IF EXISTS temp.%1_bytes_insert").arg(table.name)};
    for (const FieldDef& f : table.fields)
        if (f.type == T::String)
            out.append(DropByteLimitUpdateTriggerSql(table, f));
    return out;
}

platform::Result<> CreateTable(QSqlDatabase& db, const TableDef& table, Layout layout)
{
    QStringList statements = {CreateTableSql(table, layout)};
    statements += CreateIndexSql(table, layout);
    QStringList columns;
    for (const FieldDef& f : table.fields)
        if (inLayout(f, layout))
            columns.append(f.name);
    statements += DropByteLimitTriggerSql(table);
    statements += ByteLimitTriggerSql(table, columns);
    return ExecStatements(db, statements);
}

platform::Result<> ExecStatements(QSqlDatabase& db, const QStringList& statements)
{
    QSqlQuery q(db);
    for (const QString& sql : statements)
        if (!q.exec(sql))
            return platform::Fail(q.lastError().text());
    return {};
}

bool TableExists(QSqlDatabase& db, const QString& table)
{
    QSqlQuery q(db);
    q.prepare("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = :n COLLATE NOCASE");
    q.bindValue(":n", table);
    return q.exec() && q.next();
}

bool ColumnExists(QSqlDatabase& db, const QString& table, const QString& column)
{
    QSqlQuery q(db);
    q.prepare("SELECT 1 FROM pragma_table_info(:t) WHERE name = :c COLLATE NOCASE");
    q.bindValue(":t", table);
    q.bindValue(":c", column);
    return q.exec() && q.next();
}

} // namespace store
