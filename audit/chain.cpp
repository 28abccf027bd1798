#include "audit/chain.h"

#include <QCryptographicHash>

namespace audit {

QString RowHash(const QList<QVariant>& fields)
{
    QCryptographicHash h(QCryptographicHash::Sha256);
    for (const QVariant& f : fields) {
        if (f.isNull()) {
            h.addData(QByteArrayView("-;"));
            continue;
        }
        const QByteArray bytes = f.toString().toUtf8();
        h.addData(QByteArray::number(bytes.size()) + ':');
        h.addData(bytes);
        h.addData(QByteArrayView(";"));
    }
    return QString::fromLatin1(h.result().toHex());
}

QString RowHash(const RowContent& r)
{
    return RowHash({QString::number(r.seq), r.time, r.user, r.program, r.action, r.table, r.key,
                    r.institution, r.field, r.oldValue, r.newValue, r.prev, r.items});
}

} // namespace audit
