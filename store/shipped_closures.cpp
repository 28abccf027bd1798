#include "store/shipped_closures.h"

#include "platform/settings_file.h"
#include "shell/log.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

namespace store {

QString ShippedClosuresFile(const QString& shippedDir)
{
    return shippedDir + "data/closures.txt";
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

namespace {

QList<ShippedClosure> parseClosures(const QByteArray& bytes, QStringList* skipped)
{
    QList<ShippedClosure> out;
    QString text = QString::fromUtf8(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    int number = 0;
    for (QString line : text.split('\n')) {
        ++number;
        if (line.endsWith('\r'))
            line.chop(1);
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

QString missing(const QString& file)
{
    return file + QStringLiteral(": 파일이 없습니다.");
}

} // namespace

QList<ShippedClosure> ReadShippedClosures(const QString& file, QStringList* skipped)
{
    const platform::Result<std::optional<QByteArray>> read = platform::ReadSettingsFile(file);
    if (!read || !*read) {
        if (skipped)
            skipped->append(read ? missing(file) : read.error());
        return {};
    }
    return parseClosures(**read, skipped);
}

platform::Result<> LoadShippedClosures(QSqlDatabase& db, const QString& file)
{
    // A missing file is said in the log, as a line that does not parse;
    // anything in its place that is no plain file of closures stops the
    // migration with its name.
    const platform::Result<std::optional<QByteArray>> read = platform::ReadSettingsFile(file);
    if (!read)
        return platform::Fail(read.error());
    QStringList skipped;
    const QList<ShippedClosure> closures =
        *read ? parseClosures(**read, &skipped) : QList<ShippedClosure>();
    if (!*read)
        skipped.append(missing(file));
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
