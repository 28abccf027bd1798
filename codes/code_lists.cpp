#include "codes/code_lists.h"

#include "codes/bank_groups.h"
#include "shell/clock.h"
#include "shell/codec.h"
#include "shell/text_helpers.h"

#include <QDate>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTime>

#include <algorithm>

namespace codes {
namespace {

bool loadColumn(const QSqlDatabase& db, const char* sql, QStringList& into)
{
    into.clear();
    if (!db.isOpen())
        return false;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(QString::fromLatin1(sql)))
        return false;
    while (q.next())
        into.append(q.value(0).toString());
    std::sort(into.begin(), into.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    return true;
}

bool containsCode(const QStringList& sorted, const QString& code)
{
    for (const QString& c : sorted)
        if (c.compare(code, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

int bytes(const QString& text)
{
    return shell::Cp949Length(text);
}

} // namespace

bool ReloadCodeLists(const QSqlDatabase& db, CodeLists& lists)
{
    const bool institutions = loadColumn(db, "SELECT APID10 FROM USERCODE", lists.institutions);
    const bool banks = loadColumn(db, "SELECT ID FROM BankCode", lists.banks);
    return institutions && banks;
}

FieldCheck CheckTemplateField(bool accept, int column, const QString& raw, const CodeLists& codes)
{
    const QString text = raw.trimmed();
    if (accept)
        return {true, text, false};
    switch (column) {
    case 0:
        return {bytes(text) >= 1 && bytes(text) <= 50, text, false};
    case 1:
        return {bytes(text) >= 1 && bytes(text) <= 10 && containsCode(codes.institutions, text),
                text, false};
    case 2: {
        if (bytes(text) < 1 || bytes(text) > 2)
            return {false, text, false};
        const QString code = text.size() == 1 ? "0" + text : text;
        bool ok = false;
        const int n = code.toInt(&ok);
        if (!ok || n <= 0 || !containsCode(codes.banks, code))
            return {false, code, false};
        return {true, ConsentBankCode(code), false};
    }
    case 3: {
        QString v = shell::RemoveChar(shell::RemoveChar(text, '-'), ' ');
        return {shell::IsDigitText(v), v, false};
    }
    case 4:
        return {bytes(text) >= 1 && bytes(text) <= 13 && !shell::HasDoubleByte(text), text, false};
    case 5: {
        const QString noHyphen = shell::RemoveChar(text, '-');
        const QString v = shell::RemoveChar(noHyphen, ' ');
        return {!text.isEmpty() && bytes(noHyphen) <= 13 && shell::IsDigitText(v), v, false};
    }
    case 6: {
        // A date cell with a time of day reads "2024-03-01 09:30:00": the
        // consent records the day, so the time is left out.
        QString day = text;
        if (const qsizetype blank = text.indexOf(' '); blank > 0) {
            const QString time = text.mid(blank + 1).trimmed();
            if (QTime::fromString(time, "H:mm:ss").isValid() ||
                QTime::fromString(time, "H:mm").isValid())
                day = text.left(blank);
        }
        const QString v = shell::RemoveChar(day, '-');
        if (v.isEmpty())
            return {true, shell::Today().toString("yyyy-MM-dd"), false};
        if (bytes(v) != 8)
            return {false, v, false};
        const QDate date = QDate::fromString(v, "yyyyMMdd");
        if (!date.isValid() || !shell::IsDigitText(v))
            return {false, v, true};
        return {true, date.toString("yyyy-MM-dd"), false};
    }
    case 7: {
        if (bytes(text) > 2)
            return {false, text, false};
        if (text.isEmpty())
            return {true, shell::DigitsOnly(text), false};
        bool ok = false;
        const int day = text.toInt(&ok);
        if (!ok)
            return {false, text, true};
        return {day <= 31, shell::DigitsOnly(text), false};
    }
    case 8:
        return {bytes(text) <= 3, text, false};
    case 9:
        return {true, text.toUpper(), false};
    default:
        return {false, text, false};
    }
}

} // namespace codes
