#include "shell/ui/wait_window.h"

#include "shell/app_info.h"
#include "shell/ui/app_icon.h"

#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QScreen>
#include <QStyle>

#include <cmath>

namespace shell::ui {

QString ProgressText(int position, int max, bool countMode)
{
    if (countMode)
        return QString("%1/%2").arg(position).arg(max);
    // nearbyint rounds halves to even under the default rounding mode.
    const double pct = max == 0 ? 0.0 : std::nearbyint(position * 100.0 / max);
    return QString("%1 %").arg(qint64(pct));
}

TfrmWaitMsg::TfrmWaitMsg(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool)
{
    setObjectName("frmWaitMsg");
    setWindowTitle(ApplicationTitle());
    setFixedSize(301, 63);
    // The thin frame of the window itself.
    setStyleSheet("#frmWaitMsg { background: palette(window); border: 1px solid palette(dark); }");
    setAttribute(Qt::WA_StyledBackground);

    m_icon = new QLabel(this);
    m_icon->setPixmap(AppIconPixmap(32));
    m_icon->setGeometry(10, 15, 32, 32);

    m_text = new QLabel(this);
    m_text->setGeometry(50, 6, 243, 24);

    m_bar = new QProgressBar(this);
    m_bar->setTextVisible(false);
    m_bar->setGeometry(50, 36, 190, 16);

    m_percent = new QLabel(this);
    m_percent->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_percent->setGeometry(242, 34, 52, 20);

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TfrmWaitMsg::showMessage(const QString& text)
{
    m_text->setAlignment(Qt::AlignCenter);
    m_text->setGeometry(50, 19, 243, 24);
    m_text->setText(text);
    m_bar->hide();
    m_percent->hide();
    show();
    raise();
}

void TfrmWaitMsg::showProgress(const QString& text, int min, int max, bool countMode)
{
    m_min = min;
    m_max = max;
    m_position = min;
    m_countMode = countMode;
    m_text->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_text->setGeometry(50, 6, 243, 24);
    m_text->setText(text);
    m_bar->setRange(min, qMax(min, max));
    m_bar->setValue(min);
    m_bar->show();
    m_percent->setText(countMode ? QString("%1/%2").arg(min).arg(max) : QStringLiteral("0 %"));
    m_percent->show();
    show();
    raise();
}

void TfrmWaitMsg::step()
{
    ++m_position;
    m_bar->setValue(qMin(m_position, m_bar->maximum()));
    updatePercent();
}

void TfrmWaitMsg::updatePercent()
{
    m_percent->setText(ProgressText(m_position, m_max, m_countMode));
}

QString TfrmWaitMsg::message() const
{
    return m_text->text();
}

QString TfrmWaitMsg::percentText() const
{
    return m_percent->text();
}

bool TfrmWaitMsg::progressVisible() const
{
    return !m_bar->isHidden();
}

Qt::Alignment TfrmWaitMsg::messageAlignment() const
{
    return m_text->alignment();
}

void TfrmWaitMsg::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_dragging = true;
        m_dragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
    }
}

void TfrmWaitMsg::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging)
        move(event->globalPosition().toPoint() - m_dragOffset);
}

void TfrmWaitMsg::mouseReleaseEvent(QMouseEvent*)
{
    m_dragging = false;
}

} // namespace shell::ui
