#pragma once

#include <QPoint>
#include <QWidget>

class QLabel;
class QProgressBar;

namespace shell::ui {

// The wait window: a small borderless window, always on top, that says
// what a long operation is doing and, for a counted one, how far it is.
// Dragged by any point of its surface.
class TfrmWaitMsg : public QWidget
{
    Q_OBJECT
public:
    explicit TfrmWaitMsg(QWidget* parent = nullptr);

    void showMessage(const QString& text);
    void showProgress(const QString& text, int min, int max, bool countMode);
    void step();

    QString message() const;
    QString percentText() const;
    bool progressVisible() const;
    int position() const { return m_position; }
    Qt::Alignment messageAlignment() const;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void updatePercent();

    QLabel* m_icon;
    QLabel* m_text;
    QProgressBar* m_bar;
    QLabel* m_percent;
    int m_min = 0;
    int m_max = 100;
    int m_position = 0;
    bool m_countMode = false;
    bool m_dragging = false;
    QPoint m_dragOffset;
};

// "position/max" in count mode, else the share as a whole percentage
// (halves to even) followed by " %".
QString ProgressText(int position, int max, bool countMode);

} // namespace shell::ui
