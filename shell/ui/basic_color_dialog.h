#pragma once

#include <QColor>
#include <QDialog>

namespace shell::ui {

// A colour chooser limited to the 48 basic colours.
class BasicColorDialog : public QDialog
{
    Q_OBJECT
public:
    explicit BasicColorDialog(const QColor& initial, QWidget* parent = nullptr);

    QColor color() const { return m_color; }
    static QList<QColor> BasicColors();

private:
    QColor m_color;
};

} // namespace shell::ui
