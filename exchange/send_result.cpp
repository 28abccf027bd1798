#include "exchange/send_result.h"

#include "shell/codec.h"
#include "shell/workspace.h"
#include "store/database.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>

namespace exchange {
namespace {

// Characters `pos` (1-based) to pos + len - 1, trimmed.
QString field(const QString& line, int pos, int len)
{
    return line.mid(pos - 1, len).trimmed();
}

QDateTime reportTime(const QString& text)
{
    QDate date;
    if (text.size() >= 6) {
        bool ok = false;
        const int yy = text.left(2).toInt(&ok);
        if (ok) {
            const int year = yy >= 90 ? 1900 + yy : 2000 + yy;
            date = QDate(year, text.mid(2, 2).toInt(), text.mid(4, 2).toInt());
        }
    }
    if (!date.isValid())
        date = QDate(1990, 1, 1);
    QTime time(text.mid(6, 2).toInt(), text.mid(8, 2).toInt(), 0);
    if (!time.isValid())
        time = QTime(0, 0);
    return QDateTime(date, time);
}

qint64 number(const QString& text)
{
    bool ok = false;
    const qint64 n = text.toLongLong(&ok);
    return ok ? n : 0;
}

platform::Result<QString> lookup(QSqlDatabase db, const char* sql, const QString& value)
{
    QSqlQuery q(db);
    q.prepare(QString::fromLatin1(sql));
    q.addBindValue(value);
    if (q.exec() && q.next())
        return q.value(0).toString() + QChar(0x1f) + q.value(1).toString();
    if (q.lastError().isValid())
        return platform::Fail(store::ReadFailureMessage(q.lastError()));
    return QString();
}

} // namespace

QString ReportPath(const shell::Workspace& ws)
{
    return ws.resultDir + QStringLiteral("RptEDI");
}

TResultRecord ParseResultLine(const QString& line)
{
    TResultRecord r;
    r.infoName = field(line, 4, 8);
    r.receiverId = field(line, 21, 10);
    r.sendTime = reportTime(field(line, 32, 10));
    r.receiveTime = reportTime(field(line, 43, 10));
    r.fetchCount = int(number(field(line, 54, 5)));
    r.size = number(field(line, 60, 12));
    r.errorText = field(line, 74, 256);
    return r;
}

bool ReadResultReport(const QString& path, QList<TResultRecord>& records)
{
    records.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QString text = shell::FromCp949(file.readAll());
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QStringList lines = text.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        // The text ends with a line break; what follows it is no entry.
        if (i == lines.size() - 1 && lines[i].isEmpty())
            break;
        records.append(ParseResultLine(lines[i]));
    }
    return true;
}

bool IsHelpDeskName(const QString& infoName, const char* kind)
{
    return infoName.mid(2, 3) == QLatin1String(kind);
}

QStringList ResultHeadings()
{
    return {QStringLiteral("정보명"),      QStringLiteral("수신자 ID"),
            QStringLiteral("송 신 시 각"), QStringLiteral("수 신 시 각"),
            QStringLiteral("건 수"),       QStringLiteral("상 태")};
}

QString ResultTimeText(const QDateTime& time)
{
    const QString text = time.toString(QStringLiteral("yyyy-MM-dd  HH:mm"));
    return text == QLatin1String("1990-01-01  00:00") ? QString() : text;
}

QString ResultCountText(const TResultRecord& r)
{
    if (r.size <= 0 || IsHelpDeskName(r.infoName, "ZIP") || IsHelpDeskName(r.infoName, "TXT") ||
        r.size < 160)
        return {};
    return QString::number(r.size / 80 - 2);
}

QStringList ResultRow(const TResultRecord& r)
{
    return {r.infoName,
            r.receiverId,
            r.sendTime.toString(QStringLiteral("yyyy-MM-dd  HH:mm")),
            ResultTimeText(r.receiveTime),
            ResultCountText(r),
            r.errorText.isEmpty() ? QStringLiteral("정 상") : QStringLiteral("오 류")};
}

platform::Result<ResultDetail> DescribeResult(QSqlDatabase db, const TResultRecord& r)
{
    ResultDetail d;
    if (IsHelpDeskName(r.infoName, "ZIP")) {
        d.work = QStringLiteral("DB 자료보내기 (장애처리용)");
    } else if (IsHelpDeskName(r.infoName, "TXT")) {
        d.work = QStringLiteral("파일 보내기 (장애처리용)");
    } else {
        const platform::Result<QString> read = lookup(
            db, "SELECT Name, APID10 FROM UserCode WHERE APOUT = ? ORDER BY Rec", r.infoName);
        if (!read)
            return platform::Fail(read.error());
        const QString& found = *read;
        if (found.isEmpty()) {
            d.work = QStringLiteral("알수없음 (해당 정보명이 등록되어 있지 않음)");
        } else {
            const QStringList parts = found.split(QChar(0x1f));
            d.work = QStringLiteral("Veltrin (") + parts[0] + QStringLiteral(", ") + parts[1] + ")";
        }
    }
    d.receiverId = r.receiverId;
    platform::Result<QString> receiver = QString();
    if (!r.receiverId.isEmpty())
        receiver = lookup(db, "SELECT APBCODE, APID10 FROM UserCode WHERE APBCODE = ?",
                          r.receiverId);
    if (!receiver)
        return platform::Fail(receiver.error());
    if (r.receiverId.startsWith(QLatin1String("KEVLO")) ||
        r.receiverId.startsWith(QLatin1String("HELP")))
        d.receiverName = QStringLiteral("Miradel 주식회사 HELP-DESK");
    else if (!receiver->isEmpty())
        d.receiverName = QStringLiteral("Tervo 전산부");
    else
        d.receiverName = QStringLiteral("일반 이용자");
    d.fetches = QString::number(r.fetchCount) + QStringLiteral("회");
    const QString count = ResultCountText(r);
    d.records = count.isEmpty() ? QString() : count + QStringLiteral("건");
    d.bytes = r.size > 0 ? QString::number(r.size) + QStringLiteral("바이트") : QString();
    d.result = r.errorText.isEmpty() ? QStringLiteral("정상 처리") : r.errorText;
    return d;
}

QString ReReceiveHint()
{
    return QStringLiteral("\r\r가장 최신의 송신 결과 내역을 조회하시려면 \"재수신\" 버튼을 눌러 "
                          "재수신하시기 바랍니다.\r");
}

QString NoReportMessage()
{
    return QStringLiteral("현재 수신되어 있는 송신 결과 파일이 없습니다.") + ReReceiveHint();
}

QString ReportAgeMessage(const QString& stamp)
{
    return QStringLiteral("이 자료는 %1 현재의 송신 결과 내역입니다.").arg(stamp) + ReReceiveHint();
}

QString ReportAgeStatus(const QString& stamp)
{
    return QStringLiteral("%1 현재 송신결과 내역").arg(stamp);
}

QString ReReceiveFailedMessage()
{
    return QStringLiteral("수신한 송신 결과 파일이 없습니다.") + ReReceiveHint();
}

} // namespace exchange
