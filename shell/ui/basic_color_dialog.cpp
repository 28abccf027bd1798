#include "shell/ui/basic_color_dialog.h"

#include <QButtonGroup>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QToolButton>
#include <QVBoxLayout>

namespace shell::ui {

QList<QColor> BasicColorDialog::BasicColors()
{
    QList<QColor> out;
    for (int i = 0; i < 48; ++i)
        out.append(QColorDialog::standardColor(i));
    return out;
}

BasicColorDialog::BasicColorDialog(const QColor& initial, QWidget* parent)
    : QDialog(parent), m_color(initial)
{
    setWindowTitle(QStringLiteral("색"));
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    grid->setSpacing(3);
    auto* group = new QButtonGroup(this);
    const QList<QColor> colors = BasicColors();
    for (int i = 0; i < colors.size(); ++i) {
        auto* b = new QToolButton(this);
        b->setCheckable(true);
        b->setFixedSize(24, 20);
        b->setStyleSheet(QString("QToolButton { background: %1; border: 1px solid gray; }"
                                 "QToolButton:checked { border: 2px solid black; }")
                             .arg(colors[i].name()));
        b->setChecked(colors[i].rgb() == initial.rgb());
        group->addButton(b, i);
        // The standard palette is laid out in columns of six.
        grid->addWidget(b, i % 6, i / 6);
    }
    connect(group, &QButtonGroup::idClicked, this, [this, colors](int id) { m_color = colors[id]; });
    layout->addLayout(grid);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

} // namespace shell::ui
