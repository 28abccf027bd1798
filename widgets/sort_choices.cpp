#include "widgets/sort_choices.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

namespace widgets {

SortChoices::SortChoices(QMenu* menu, const QList<QPair<QString, int>>& choices,
                         std::function<void(int)> chosen)
    : m_group(new QActionGroup(menu))
{
    for (const auto& [text, value] : choices) {
        QAction* a = menu->addAction(text);
        a->setCheckable(true);
        a->setChecked(value == m_order);
        a->setData(value);
        m_group->addAction(a);
        const int v = value;
        QObject::connect(a, &QAction::triggered, menu, [chosen, v] { chosen(v); });
    }
}

QAction* SortChoices::choice(int order) const
{
    for (QAction* a : m_group->actions())
        if (a->data().toInt() == order)
            return a;
    return nullptr;
}

void SortChoices::choose(int order)
{
    m_order = order;
    if (QAction* a = choice(order))
        a->setChecked(true);
}

void SortChoices::setEnabled(bool on)
{
    for (QAction* a : m_group->actions())
        a->setEnabled(on);
}

} // namespace widgets
