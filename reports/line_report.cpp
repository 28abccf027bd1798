#include "reports/line_report.h"

#include "shell/codec.h"
#include "shell/text_helpers.h"
#include "shell/ui.h"
#include "store/account_numbers.h"
#include "store/schema.h"

#include <QLocale>
#include <QSaveFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

namespace reports {
namespace {

QDate dateOf(const QVariant& v)
{
    return QDate::fromString(v.toString().left(10), Qt::ISODate);
}

struct TextField
{
    const char* caption;
    int width;
    bool numeric;
    QString (*value)(const ReportLine&);
};

QString dateText(const QDate& d)
{
    return d.isValid() ? QLocale().toString(d, QLocale::ShortFormat) : QString();
}

const TextField kFields[] = {
    {"동", 4, false, [](const ReportLine& l) { return l.dong; }},
    {"호", 4, false, [](const ReportLine& l) { return l.ho; }},
    {"입주자명", 20, false, [](const ReportLine& l) { return l.bigo; }},
    {"예금주명", 20, false, [](const ReportLine& l) { return l.kita; }},
    {"은행코드", 8, false, [](const ReportLine& l) { return l.bankCode; }},
    {"은행명", 20, false, [](const ReportLine& l) { return l.bankName; }},
    {"계좌번호", 18, false, [](const ReportLine& l) { return l.displayBankNo; }},
    {"이체일자", 10, false, [](const ReportLine& l) { return dateText(l.icheDate); }},
    {"이체금액", 13, true, [](const ReportLine& l) { return QString::number(l.icheMoney); }},
    {"이체여부", 8, false, [](const ReportLine& l) { return l.icheYebu; }},
    {"이체여부", 20, false, [](const ReportLine& l) { return l.outcomeName; }},
    {"처리결과", 8, false, [](const ReportLine& l) { return l.resultId; }},
    {"처리결과", 20, false, [](const ReportLine& l) { return l.resultName; }},
    {"납부자번호", 24, false, [](const ReportLine& l) { return l.napbuNo; }},
    {"수신일자", 10, false, [](const ReportLine& l) { return dateText(l.rdate); }},
    {"송신일자", 10, false, [](const ReportLine& l) { return dateText(l.sdate); }},
    {"송신시각", 10, false,
     [](const ReportLine& l) {
         return l.stime.isValid() ? QLocale().toString(l.stime, QLocale::ShortFormat) : QString();
     }},
    {"상태", 20, false, [](const ReportLine& l) { return l.statusText(); }},
};

// Cut to `width` bytes (never through a double-byte character) and filled
// with blanks on the side the field aligns away from.
QByteArray fitted(const QString& text, int width, bool alignRight)
{
    QByteArray bytes = shell::LeftBytes(shell::ToCp949(text), width);
    const QByteArray fill(width - bytes.size(), ' ');
    return alignRight ? fill + bytes : bytes + fill;
}

} // namespace

QString ReportBatch::institutionLabel() const
{
    return institutionFound ? "[" + giganId10 + "] " + institutionName : "[" + giganId10 + "]";
}

QString ReportLine::statusText() const
{
    return state < 2 ? QStringLiteral("미송신") : outcomeName;
}

QString BatchStateText(int state)
{
    switch (state) {
    case 0: return QStringLiteral("송신불가");
    case 1: return QStringLiteral("송신대기");
    case 2: return QStringLiteral("송신완료");
    case 3: return QStringLiteral("수신완료");
    default: return QString();
    }
}

QString PrintedNapbuNo(const QString& napbuNo)
{
    if (napbuNo.size() == 13 && !napbuNo.contains('-'))
        return napbuNo.left(6) + "-" + napbuNo.mid(6);
    return napbuNo;
}

namespace {

ReportBatch batchFrom(const QSqlQuery& q)
{
    ReportBatch b;
    const QSqlRecord r = q.record();
    const auto num = [&](const char* f) { return q.value(r.indexOf(f)).toLongLong(); };
    b.aptId = int(num("AptID"));
    b.giganId10 = q.value(r.indexOf("GiganID10")).toString();
    b.icheDate = dateOf(q.value(r.indexOf("IcheDate")));
    b.sendDate = dateOf(q.value(r.indexOf("SendDate")));
    b.rdate = dateOf(q.value(r.indexOf("Rdate")));
    const QVariant state = q.value(r.indexOf("State"));
    b.state = state.isNull() ? -1 : state.toInt();
    b.totNo = num("TotNo");
    b.totMoney = num("TotMoney");
    b.e1TotNo = num("E1TotNo");
    b.e1TotMon = num("E1TotMon");
    b.e1JunNo = num("E1JunNo");
    b.e1JunMon = num("E1JunMon");
    b.e1JoNo = num("E1JoNo");
    b.e1JoMon = num("E1JoMon");
    b.e1SucNo = num("E1SucNo");
    b.e1SucMon = num("E1SucMon");
    b.bigo = q.value(r.indexOf("Bigo")).toString();
    return b;
}

} // namespace

std::optional<ReportBatch> LoadReportBatch(QSqlDatabase db, int aptId)
{
    QSqlQuery q(db);
    q.prepare("SELECT * FROM Apt1 WHERE AptID = ?");
    q.addBindValue(aptId);
    if (!q.exec() || !q.next())
        return std::nullopt;
    ReportBatch b = batchFrom(q);
    QSqlQuery names(db);
    names.prepare("SELECT Name FROM UserCode WHERE APID10 = ?");
    names.addBindValue(b.giganId10);
    if (names.exec()) {
        QStringList found;
        while (names.next())
            found.append(names.value(0).toString());
        b.institutionFound = found.size() == 1;
        if (b.institutionFound)
            b.institutionName = found.first();
    }
    return b;
}

QList<ReportBatch> LoadAllBatches(QSqlDatabase db)
{
    QList<ReportBatch> all;
    QSqlQuery q(db);
    if (q.exec("SELECT * FROM Apt1 ORDER BY AptID"))
        while (q.next())
            all.append(batchFrom(q));
    return all;
}

QList<ReportLine> LoadReportLines(QSqlDatabase db, int aptId, const QStringList& orderFields)
{
    const store::TableDef* table = store::FindTable("Apt2");
    QStringList order;
    for (const QString& f : orderFields)
        if (table && table->field(f))
            order.append("l." + f);
    order.append("l.Apt2ID");
    QSqlQuery q(db);
    q.prepare("SELECT l.*, b.Name AS BankName, s.Name AS OutcomeName, p.Name AS ResultName "
              "FROM Apt2 l LEFT JOIN BankCode b ON b.ID = l.BankCode "
              "LEFT JOIN CodeS s ON s.ID = l.IcheYebu LEFT JOIN CodeP p ON p.ID = l.ResultID4 "
              "WHERE l.AptID = ? ORDER BY "
              + order.join(", "));
    q.addBindValue(aptId);
    QList<ReportLine> lines;
    if (!q.exec())
        return lines;
    const QSqlRecord r = q.record();
    const auto text = [&](const char* f) { return q.value(r.indexOf(f)).toString(); };
    while (q.next()) {
        ReportLine l;
        l.dong = text("Dong");
        l.ho = text("Ho");
        l.bigo = text("Bigo");
        l.kita = text("Kita");
        l.bankCode = text("BankCode");
        l.bankNo = text("BankNo");
        l.displayBankNo =
            l.bankNo.isEmpty() ? QString() : store::HyphenateOrKeep(l.bankCode, l.bankNo);
        l.icheDate = dateOf(q.value(r.indexOf("IcheDate")));
        l.rdate = dateOf(q.value(r.indexOf("Rdate")));
        l.sdate = dateOf(q.value(r.indexOf("Sdate")));
        l.stime = QTime::fromString(text("Stime").left(8), "HH:mm:ss");
        l.icheMoney = q.value(r.indexOf("IcheMoney")).toLongLong();
        l.icheYebu = text("IcheYebu");
        l.resultId = text("ResultID");
        l.resultId4 = text("ResultID4");
        l.napbuNo = text("NapbuNo");
        l.state = q.value(r.indexOf("State")).toInt();
        // A code without its row shows as the code itself.
        const QString bank = text("BankName"), outcome = text("OutcomeName"),
                      result = text("ResultName");
        l.bankName = bank.isEmpty() ? l.bankCode : bank;
        l.outcomeName = outcome.isEmpty() ? l.icheYebu : outcome;
        l.resultName = result.isEmpty() ? l.resultId4 : result;
        lines.append(l);
    }
    return lines;
}

QList<ReportLine> FilterLines(const QList<ReportLine>& lines, int dataChoice)
{
    if (dataChoice == 0)
        return lines;
    QList<ReportLine> kept;
    for (const ReportLine& l : lines)
        if ((l.icheYebu == QLatin1String("Y")) == (dataChoice == 1))
            kept.append(l);
    return kept;
}

bool WriteLinesText(shell::Ui& ui, const QString& fileName, const QList<ReportLine>& lines)
{
    ui.ShowProgress(QStringLiteral("파일에 저장중..."), 0, int(lines.size()), true);
    QByteArray out;
    QList<QByteArray> parts;
    for (const TextField& f : kFields)
        parts.append(fitted(QString::fromUtf8(f.caption).remove(' '), f.width, false));
    out += parts.join(';') + "\r\n";
    for (const ReportLine& l : lines) {
        parts.clear();
        for (const TextField& f : kFields)
            parts.append(fitted(f.value(l), f.width, f.numeric));
        out += parts.join(';') + "\r\n";
        ui.StepProgress();
    }
    QSaveFile file(fileName);
    const bool ok =
        file.open(QIODevice::WriteOnly) && file.write(out) == out.size() && file.commit();
    ui.CloseWait();
    return ok;
}

} // namespace reports
