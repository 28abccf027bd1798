#include "widgets/column_memory.h"

#include "platform/registry.h"

#include <QHeaderView>
#include <QStringList>

namespace widgets {
namespace {

QString key(const QString& section)
{
    return "Software\\Pelmar\\Firm\\" + section;
}

} // namespace

void RestoreColumns(QHeaderView* header, const QString& section)
{
    const platform::Registry reg(platform::Registry::CurrentUser);
    const QStringList widths = reg.ReadString(key(section), "Widths").value_or(QString()).split(',');
    for (int i = 0; i < widths.size() && i < header->count(); ++i) {
        bool ok = false;
        const int w = widths[i].toInt(&ok);
        if (ok && w > 0 && w < 2000)
            header->resizeSection(i, w);
    }
}

void SaveColumns(const QHeaderView* header, const QString& section)
{
    QStringList widths;
    for (int i = 0; i < header->count(); ++i)
        widths.append(QString::number(header->sectionSize(i)));
    platform::Registry(platform::Registry::CurrentUser)
        .WriteString(key(section), "Widths", widths.join(','));
}

} // namespace widgets
