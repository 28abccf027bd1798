#pragma once

#include <QList>
#include <QPair>
#include <QString>

#include <functional>

class QAction;
class QActionGroup;
class QMenu;

namespace widgets {

// The exclusive choices of a screen's 정 렬 menu and the order chosen last
// (0, the first, until another is chosen).
class SortChoices
{
public:
    SortChoices() = default;
    // Fills `menu` with the choices (text, order), the first checked;
    // choosing one calls `chosen` with its order.
    SortChoices(QMenu* menu, const QList<QPair<QString, int>>& choices,
                std::function<void(int)> chosen);

    int order() const { return m_order; }
    QAction* choice(int order) const;
    // `order` becomes the chosen one, its choice checked.
    void choose(int order);
    void setEnabled(bool on);

private:
    QActionGroup* m_group = nullptr;
    int m_order = 0;
};

} // namespace widgets
