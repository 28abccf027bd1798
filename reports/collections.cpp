#include "reports/collections.h"

#include "edi/answer_blocks.h"
#include "shell/kept_files.h"
#include "store/schema.h"
#include "store/states.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QMap>
#include <QProcess>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>

namespace reports {
namespace {

enum Kind { Unanswered = 0, Collected = 1, Failed = 2 };

QString readFailure(const QString& why)
{
    return QStringLiteral("수납 현황을 읽을 수 없습니다. ") + why;
}

// A currency column holds whole won; a value written by another tool as a
// real still counts.
qint64 won(const QVariant& v)
{
    return v.typeId() == QMetaType::Double ? qRound64(v.toDouble()) : v.toLongLong();
}

QString monthText(const QDate& d)
{
    return d.toString(QStringLiteral("yyyy-MM"));
}

// UserCode's spelling and name of each institution, by the code in capitals
// (codes compare without regard to case); the first row of a code names it.
platform::Result<QMap<QString, std::pair<QString, QString>>> institutions(QSqlDatabase db)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec("SELECT APID10, Name FROM UserCode WHERE trim(coalesce(APID10, '')) <> '' "
                "ORDER BY Rec"))
        return platform::Fail(readFailure(q.lastError().text()));
    QMap<QString, std::pair<QString, QString>> known;
    while (q.next()) {
        const QString code = q.value(0).toString().trimmed();
        if (!known.contains(code.toUpper()))
            known.insert(code.toUpper(), {code, q.value(1).toString().trimmed()});
    }
    return known;
}

platform::Result<QHash<QString, QString>> resultTexts(QSqlDatabase db)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec("SELECT id, Name FROM CodeP"))
        return platform::Fail(readFailure(q.lastError().text()));
    QHash<QString, QString> texts;
    while (q.next())
        texts.insert(q.value(0).toString().trimmed(), q.value(1).toString().trimmed());
    return texts;
}

// The kept answers refused and never applied: their trailers answer nothing.
platform::Result<QSet<QString>> refusedAnswers(QSqlDatabase db)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(
            "SELECT KeptPath FROM ReceivedAnswer WHERE Refused IS NOT NULL AND Applied IS NULL"))
        return platform::Fail(readFailure(q.lastError().text()));
    QSet<QString> refused;
    while (q.next())
        refused.insert(QFileInfo(q.value(0).toString()).absoluteFilePath());
    return refused;
}

// Every kept answer whose 200-byte blocks answer batches of the month: the
// trailer against the lines of the batches it answered, as they are now.
platform::Result<QList<TrailerWarning>> checkKeptAnswers(QSqlDatabase db,
                                                         const CollectionQuery& query,
                                                         const QDate& first, const QDate& last)
{
    QSqlQuery codes(db);
    if (!codes.exec("SELECT DISTINCT upper(trim(APIN)) FROM UserCode WHERE trim(coalesce(APIN, "
                    "'')) <> ''"))
        return platform::Fail(readFailure(codes.lastError().text()));
    QSet<QString> answerCodes;
    while (codes.next())
        answerCodes.insert(codes.value(0).toString());
    const auto refused = refusedAnswers(db);
    if (!refused)
        return platform::Fail(refused.error());

    QSqlQuery batch(db);
    QSqlQuery lines(db);
    if (!batch.prepare("SELECT AptID, State FROM Apt1 WHERE GiganID10 = ? COLLATE NOCASE "
                       "AND IcheDate = ? AND DataNo = ? AND replace(Stime, ':', '') = ?"))
        return platform::Fail(readFailure(batch.lastError().text()));
    if (!lines.prepare("SELECT count(*), coalesce(sum(IcheMoney), 0) FROM Apt2 WHERE " +
                       store::IndexedMatch("Apt2", "AptID", "?")))
        return platform::Fail(readFailure(lines.lastError().text()));
    const QVariant received = store::StoredValue(store::BatchState::Received);

    QList<TrailerWarning> warnings;
    QSet<QString> seen;
    const QDir kept(query.keptReceiveDir);
    for (const QString& day : kept.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        const QDir folder(kept.filePath(day));
        for (const QFileInfo& info : folder.entryInfoList(QDir::Files, QDir::Name)) {
            if (!answerCodes.contains(shell::KeptFileCode(info.fileName()).toUpper()) ||
                refused->contains(info.absoluteFilePath()))
                continue;
            QFile file(info.absoluteFilePath());
            if (!file.open(QIODevice::ReadOnly))
                return platform::Fail(QStringLiteral("보관된 수신 파일을 읽을 수 없습니다: ") +
                                      QDir::toNativeSeparators(info.absoluteFilePath()) + " (" +
                                      file.errorString() + ")");
            if (file.peek(7) != "S999012")
                continue;
            const QByteArray bytes = file.readAll();
            if (file.error() != QFileDevice::NoError)
                return platform::Fail(QStringLiteral("보관된 수신 파일을 읽을 수 없습니다: ") +
                                      QDir::toNativeSeparators(info.absoluteFilePath()) + " (" +
                                      file.errorString() + ")");
            for (const edi::AnswerBlock& block : edi::ReadAnswerBlocks(bytes)) {
                if (!block.closed || !block.date.isValid() || block.date < first ||
                    block.date > last || block.batches.isEmpty() ||
                    (!query.institution.isEmpty() &&
                     block.institution.compare(query.institution, Qt::CaseInsensitive) != 0))
                    continue;
                TrailerWarning w;
                w.institution = block.institution;
                w.date = block.date;
                w.file = info.absoluteFilePath();
                w.statedCount = block.trailer.count;
                w.statedAmount = block.trailer.total;
                // Only a block whose every batch is still there, answered,
                // under the key it was sent with: an answer to an earlier
                // send of a batch sent again says nothing of its lines now.
                bool whole = true;
                for (const edi::AnswerBatchKey& key : block.batches) {
                    batch.addBindValue(block.institution);
                    batch.addBindValue(block.date.toString(Qt::ISODate));
                    batch.addBindValue(key.number);
                    batch.addBindValue(key.sendTime);
                    if (!batch.exec())
                        return platform::Fail(readFailure(batch.lastError().text()));
                    if (!batch.next() || batch.value(1).toLongLong() != received.toLongLong()) {
                        whole = false;
                        break;
                    }
                    const int aptId = batch.value(0).toInt();
                    lines.addBindValue(aptId);
                    if (!lines.exec() || !lines.next())
                        return platform::Fail(readFailure(lines.lastError().text()));
                    w.batches.append(aptId);
                    w.lineCount += lines.value(0).toLongLong();
                    w.lineAmount += won(lines.value(1));
                }
                if (!whole || (w.lineCount == w.statedCount && w.lineAmount == w.statedAmount))
                    continue;
                // The same answer kept twice (received again) is said once.
                QStringList key{w.institution.toUpper(), w.date.toString(Qt::ISODate),
                                QString::number(w.statedCount), QString::number(w.statedAmount)};
                for (int b : w.batches)
                    key.append(QString::number(b));
                if (seen.contains(key.join('|')))
                    continue;
                seen.insert(key.join('|'));
                warnings.append(w);
            }
        }
    }
    return warnings;
}

} // namespace

void CollectionFigures::add(const CollectionFigures& o)
{
    requestedCount += o.requestedCount;
    requestedAmount += o.requestedAmount;
    collectedCount += o.collectedCount;
    collectedAmount += o.collectedAmount;
    failedCount += o.failedCount;
    failedAmount += o.failedAmount;
    unansweredCount += o.unansweredCount;
    unansweredAmount += o.unansweredAmount;
}

double CollectionFigures::rate() const
{
    return requestedAmount > 0 ? 100.0 * double(collectedAmount) / double(requestedAmount) : 0.0;
}

QString BranchTotalCode()
{
    return QStringLiteral("전체");
}

QString TrailerWarning::message() const
{
    const QLocale korean(QLocale::Korean);
    QStringList numbers;
    for (int b : batches)
        numbers.append(QString::number(b));
    const auto figure = [&](qint64 v) { return v < 0 ? QStringLiteral("?") : korean.toString(v); };
    return QString("기관 [%1] 이체일 %2 이체자료 %3: 보관된 수신 파일 %4 의 종료 레코드"
                   "(%5건 %6원)와 이체자료(%7건 %8원)가 다릅니다.")
        .arg(institution, date.toString(Qt::ISODate), numbers.join(','),
             QDir::toNativeSeparators(file), figure(statedCount), figure(statedAmount),
             figure(lineCount), figure(lineAmount));
}

QDate ParseMonth(const QString& month)
{
    if (month.size() != 7 || month[4] != '-')
        return {};
    return QDate::fromString(month + "-01", QStringLiteral("yyyy-MM-dd"));
}

platform::Result<CollectionReport> ReadCollections(QSqlDatabase db, const CollectionQuery& query)
{
    const QDate monthStart = ParseMonth(query.month);
    if (!monthStart.isValid())
        return platform::Fail(QString("월 [%1] 이 올바르지 않습니다 (YYYY-MM).").arg(query.month));
    const QDate from = query.history ? monthStart.addMonths(-11) : monthStart;
    const QDate to = monthStart.addMonths(1);

    const auto known = institutions(db);
    if (!known)
        return platform::Fail(known.error());
    const auto texts = resultTexts(db);
    if (!texts)
        return platform::Fail(texts.error());

    CollectionReport report;
    report.month = query.month;
    for (QDate m = from; m < to; m = m.addMonths(1))
        report.months.append(monthText(m));

    // One pass over the lines of the months, grouped by batch, what came of
    // the line and, for a failed one, its code; then by institution and month
    // over those few rows. Grouping the lines by their batch number first lets
    // SQLite read them in table order instead of looking each batch's lines up.
    QSqlQuery q(db);
    q.setForwardOnly(true);
    const bool prepared = q.prepare(QStringLiteral(
        "SELECT a.GiganID10, substr(a.IcheDate, 1, 7) AS Month, "
        "CASE WHEN a.State = :received1 THEN b.Kind ELSE 0 END AS Kind, "
        "CASE WHEN a.State = :received2 THEN b.Code END AS Code, sum(b.Lines), sum(b.Won) "
        "FROM (SELECT l.AptID, "
        "CASE WHEN l.IcheYebu = 'Y' THEN 1 "
        "WHEN coalesce(trim(l.IcheYebu), '') NOT IN ('', 'Z') THEN 2 ELSE 0 END AS Kind, "
        "CASE WHEN coalesce(trim(l.IcheYebu), '') NOT IN ('', 'Y', 'Z') "
        "THEN coalesce(nullif(trim(l.ResultID4), ''), trim(l.ResultID), '') END AS Code, "
        "count(*) AS Lines, coalesce(sum(l.IcheMoney), 0) AS Won FROM Apt2 l "
        "WHERE l.AptID IN (SELECT AptID FROM Apt1 WHERE IcheDate >= :from AND IcheDate < :to "
        "AND (:all OR GiganID10 = :institution COLLATE NOCASE)) "
        "GROUP BY 1, 2, 3) b JOIN Apt1 a ON a.AptID = b.AptID "
        "GROUP BY a.GiganID10 COLLATE NOCASE, Month, Kind, Code"));
    q.bindValue(":received1", store::StoredValue(store::BatchState::Received));
    q.bindValue(":received2", store::StoredValue(store::BatchState::Received));
    q.bindValue(":from", from.toString(Qt::ISODate));
    q.bindValue(":to", to.toString(Qt::ISODate));
    q.bindValue(":all", query.institution.trimmed().isEmpty());
    q.bindValue(":institution", query.institution.trimmed());
    if (!prepared)
        return platform::Fail(readFailure(q.lastError().text()));
    if (!q.exec())
        return platform::Fail(readFailure(q.lastError().text()));

    // By institution (in capitals) and month.
    QMap<QString, QMap<QString, CollectionRow>> rows;
    QMap<QString, QMap<QString, FailureRow>> failures;      // by institution|month, code
    QMap<QString, QMap<QString, FailureRow>> monthFailures; // by month, code
    while (q.next()) {
        const QString code = q.value(0).toString().trimmed();
        const QString month = q.value(1).toString();
        const int kind = q.value(2).toInt();
        const qint64 count = q.value(4).toLongLong();
        const qint64 amount = won(q.value(5));
        const QString upper = code.toUpper();
        CollectionRow& row = rows[upper][month];
        row.institution = known->contains(upper) ? (*known)[upper].first : code;
        row.name = known->value(upper).second;
        row.month = month;
        CollectionFigures& f = row.figures;
        f.requestedCount += count;
        f.requestedAmount += amount;
        if (kind == Collected) {
            f.collectedCount += count;
            f.collectedAmount += amount;
        } else if (kind == Failed) {
            f.failedCount += count;
            f.failedAmount += amount;
            const QString result = q.value(3).toString();
            FailureRow& byCode = failures[upper + '|' + month][result];
            byCode.institution = row.institution;
            byCode.month = month;
            byCode.code = result;
            byCode.text = texts->value(result);
            byCode.count += count;
            byCode.amount += amount;
            FailureRow& all = monthFailures[month][result];
            all.institution = BranchTotalCode();
            all.month = month;
            all.code = result;
            all.text = byCode.text;
            all.count += count;
            all.amount += amount;
        } else {
            f.unansweredCount += count;
            f.unansweredAmount += amount;
        }
    }
    if (q.lastError().isValid())
        return platform::Fail(readFailure(q.lastError().text()));

    // Every registered institution has its row, with nothing as well.
    const QString only = query.institution.trimmed().toUpper();
    if (!only.isEmpty() && !known->contains(only) && !rows.contains(only))
        return platform::Fail(
            QString("기관코드 [%1] 는 등록된 기관이 아닙니다.").arg(query.institution.trimmed()));
    for (auto it = known->cbegin(); it != known->cend(); ++it)
        if ((only.isEmpty() || it.key() == only) && !rows[it.key()].contains(query.month))
            rows[it.key()][query.month] = {it->first, it->second, query.month, {}};

    report.total.institution = BranchTotalCode();
    report.total.name = QStringLiteral("지점 합계");
    report.total.month = query.month;
    for (auto it = rows.cbegin(); it != rows.cend(); ++it) {
        for (const CollectionRow& row : *it) {
            if (row.month == query.month) {
                report.rows.append(row);
                report.total.figures.add(row.figures);
                for (const FailureRow& f : failures.value(it.key() + '|' + row.month))
                    report.failures.append(f);
            }
            if (query.history && row.figures.requestedCount > 0)
                report.history.append(row);
        }
    }
    if (query.history)
        for (const auto& byCode : monthFailures)
            for (const FailureRow& f : byCode)
                report.historyFailures.append(f);

    if (!query.keptReceiveDir.isEmpty()) {
        const auto warnings =
            checkKeptAnswers(db, query, monthStart, monthStart.addMonths(1).addDays(-1));
        if (!warnings)
            return platform::Fail(warnings.error());
        report.warnings = *warnings;
    }
    return report;
}

namespace {

QStringList figureCells(const CollectionFigures& f)
{
    QStringList cells;
    for (qint64 v : {f.requestedCount, f.requestedAmount, f.collectedCount, f.collectedAmount,
                     f.failedCount, f.failedAmount, f.unansweredCount, f.unansweredAmount})
        cells.append(QString::number(v));
    return cells;
}

QStringList rowCells(const CollectionRow& row)
{
    return QStringList{row.institution, row.name, row.month} + figureCells(row.figures);
}

} // namespace

QStringList CollectionLines(const CollectionReport& report)
{
    QStringList lines;
    for (const CollectionRow& row : report.rows)
        lines.append(rowCells(row).join('\t'));
    lines.append(rowCells(report.total).join('\t'));
    return lines;
}

QStringList FailureLines(const CollectionReport& report)
{
    QStringList lines;
    for (const FailureRow& f : report.failures)
        lines.append(QStringList{f.institution, f.month, f.code, f.text, QString::number(f.count),
                                 QString::number(f.amount)}
                         .join('\t'));
    return lines;
}

QStringList CollectionHeadings()
{
    return {"기관코드", "기관명",   "이체월",   "의뢰건수",   "의뢰금액",  "수납건수",
            "수납금액", "불능건수", "불능금액", "미처리건수", "미처리금액"};
}

QList<QStringList> CollectionSheetRows(const CollectionReport& report)
{
    QList<QStringList> rows;
    for (const CollectionRow& row : report.rows)
        rows.append(rowCells(row));
    rows.append(rowCells(report.total));
    return rows;
}

QByteArray ChartData(const CollectionReport& report)
{
    QJsonArray history;
    for (const CollectionRow& r : report.history)
        history.append(QJsonObject{{"institution", r.institution},
                                   {"name", r.name},
                                   {"month", r.month},
                                   {"requestedAmount", double(r.figures.requestedAmount)},
                                   {"collectedAmount", double(r.figures.collectedAmount)}});
    QJsonArray failures;
    for (const FailureRow& f : report.historyFailures)
        failures.append(QJsonObject{{"month", f.month},
                                    {"code", f.code},
                                    {"text", f.text},
                                    {"count", double(f.count)},
                                    {"amount", double(f.amount)}});
    return QJsonDocument(QJsonObject{{"month", report.month},
                                     {"months", QJsonArray::fromStringList(report.months)},
                                     {"history", history},
                                     {"failures", failures}})
        .toJson(QJsonDocument::Compact);
}

std::optional<CollectionReport> ReadChartData(const QByteArray& data)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(data, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return std::nullopt;
    const QJsonObject o = doc.object();
    CollectionReport r;
    r.month = o["month"].toString();
    for (const QJsonValue& m : o["months"].toArray())
        r.months.append(m.toString());
    for (const QJsonValue& v : o["history"].toArray()) {
        const QJsonObject h = v.toObject();
        CollectionRow row{
            h["institution"].toString(), h["name"].toString(), h["month"].toString(), {}};
        row.figures.requestedAmount = qint64(h["requestedAmount"].toDouble());
        row.figures.collectedAmount = qint64(h["collectedAmount"].toDouble());
        r.history.append(row);
    }
    for (const QJsonValue& v : o["failures"].toArray()) {
        const QJsonObject f = v.toObject();
        r.historyFailures.append({BranchTotalCode(), f["month"].toString(), f["code"].toString(),
                                  f["text"].toString(), qint64(f["count"].toDouble()),
                                  qint64(f["amount"].toDouble())});
    }
    if (r.months.isEmpty())
        return std::nullopt;
    return r;
}

platform::Result<> WriteChartFile(const CollectionReport& report, const QString& path,
                                  const QString& shippedDir)
{
    const QString failed =
        QStringLiteral("차트 파일을 만들 수 없습니다: ") + QDir::toNativeSeparators(path);
    QProcess chart;
    chart.setProgram(shippedDir + "pelmar-chart");
    chart.setArguments({path});
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    chart.setProcessEnvironment(env);
    chart.setProcessChannelMode(QProcess::SeparateChannels);
    chart.start();
    if (!chart.waitForStarted())
        return platform::Fail(failed + QStringLiteral(" (그리는 프로그램 %1 을 실행할 수 없습니다)")
                                           .arg(QDir::toNativeSeparators(chart.program())));
    chart.write(ChartData(report));
    chart.closeWriteChannel();
    if (!chart.waitForFinished(120000)) {
        chart.kill();
        chart.waitForFinished();
        return platform::Fail(failed);
    }
    if (chart.exitStatus() != QProcess::NormalExit || chart.exitCode() != 0) {
        const QString why = QString::fromUtf8(chart.readAllStandardError()).trimmed();
        return platform::Fail(failed + (why.isEmpty() ? QString() : " (" + why + ")"));
    }
    if (QFileInfo(path).size() <= 0)
        return platform::Fail(failed);
    return {};
}

} // namespace reports
