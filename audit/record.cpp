#include "audit/record.h"

#include "audit/audit_file.h"
#include "audit/tables.h"

#include <QSqlError>
#include <QSqlQuery>

#include <atomic>

namespace audit {
namespace detail {
extern std::atomic<int> g_quiet;
extern std::atomic<bool> g_off;
} // namespace detail

bool IsDownload(const QString& a)
{
    return a == action::Export || a == action::Print || a == action::TextOutput;
}

platform::Result<> Record(QSqlDatabase db, const Change& c)
{
    if (detail::g_off)
        return {};
    QSqlQuery q(db);
    static const QString sql =
        detail::AppendSql(":a", ":tb", ":k", ":i", ":f", ":o", ":n");
    if (!q.prepare(sql))
        return platform::Fail(FailureMessage(q.lastError().text()));
    q.bindValue(":a", c.action);
    q.bindValue(":tb", c.table);
    q.bindValue(":k", c.key);
    q.bindValue(":i", c.institution);
    q.bindValue(":f", c.field);
    // Stored as text, as the triggers store theirs, so that the hash reads
    // back the same.
    q.bindValue(":o", c.oldValue.isNull() ? QVariant() : QVariant(c.oldValue.toString()));
    q.bindValue(":n", c.newValue.isNull() ? QVariant() : QVariant(c.newValue.toString()));
    if (!q.exec())
        return platform::Fail(FailureMessage(q.lastError().text()));
    if (q.numRowsAffected() != 1)
        return platform::Fail(FailureMessage(QStringLiteral("변경 이력 파일이 연결되어 있지 않습니다.")));
    return {};
}

Quiet::Quiet()
{
    ++detail::g_quiet;
}

Quiet::~Quiet()
{
    --detail::g_quiet;
}

} // namespace audit
