#include "store/shipped_closures.h"

#include "shell/log.h"
#include "shell/workspace.h"

#include <QFile>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextStream>

namespace store {

QString ShippedClosuresFile()
{
    return shell::Paths().shippedDir + "data/closures.txt";
}

QDate ParseCalendarDate(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    if (!pattern.match(text).hasMatch())
        return {};
    const QDate date = QDate::fromString(text, Qt::ISODate);
    if (!date.isValid() || date.year() < 1900 || date.year() > 2100)
        return {};
    return date;
}

QList<ShippedClosure> ReadShippedClosures(const QString& file, QStringList* skipped)
{
    QList<ShippedClosure> out;
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) {
        if (skipped)
            skipped->append(file + ": " + f.errorString());
        return out;
    }
    QTextStream in(&f);
    in.setEncoding(QStringConverter::Utf8);
    int number = 0;
    while (!in.atEnd()) {
        const QString line = in.readLine();
        ++number;
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith('#'))
            continue;
        const QStringList parts = line.split('\t');
        const QDate date = ParseCalendarDate(parts.value(0).trimmed());
        const QString name = parts.value(1).trimmed();
        if (!date.isValid() || name.isEmpty()) {
            if (skipped)
                skipped->append(QString("line %1: %2").arg(number).arg(line));
            continue;
        }
        out.append({date, name});
    }
    return out;
}

platform::Result<> LoadShippedClosures(QSqlDatabase& db, const QString& file)
{
    QStringList skipped;
    const QList<ShippedClosure> closures = ReadShippedClosures(file, &skipped);
    for (const QString& s : skipped)
        shell::WriteLog("휴일 자료 무시 " + s, true);

    QSqlQuery insert(db);
    insert.prepare("INSERT OR IGNORE INTO BizCalendar (CalDate, Kind, Name, Source)"
                   " VALUES (:date, :kind, :name, :source)");
    for (const ShippedClosure& c : closures) {
        insert.bindValue(":date", c.date.toString(Qt::ISODate));
        insert.bindValue(":kind", kClosedKind);
        insert.bindValue(":name", c.name);
        insert.bindValue(":source", kShippedSource);
        if (!insert.exec())
            return platform::Fail(insert.lastError().text());
    }
    return {};
}

} // namespace store
