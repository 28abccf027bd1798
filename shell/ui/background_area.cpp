#include "shell/ui/background_area.h"

#include "shell/app_info.h"
#include "shell/ui/app_icon.h"
#include "shell/ui/notice_panel.h"
#include "shell/ui/qt_ui.h"

#include <QHBoxLayout>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>
#include <QVBoxLayout>

namespace shell::ui {
namespace {

enum Glyph { Transfer, Banking, SendReceive, Exit };

// The pictures of the buttons, drawn so that they scale with the screen.
QPixmap buttonPicture(int glyph)
{
    const int s = 48;
    QPixmap pm(s, s);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor colors[] = {QColor(0x1f, 0x7a, 0x4a), QColor(0x1d, 0x5f, 0xa8),
                             QColor(0xc2, 0x7a, 0x12), QColor(0x9b, 0x2c, 0x2c)};
    QLinearGradient g(0, 0, 0, s);
    g.setColorAt(0, colors[glyph].lighter(135));
    g.setColorAt(1, colors[glyph]);
    p.setPen(QPen(colors[glyph].darker(150), 1.5));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(2, 2, s - 4, s - 4), 9, 9);
    p.setPen(QPen(Qt::white, 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    switch (glyph) {
    case Transfer: // coins moving into an account
        p.drawEllipse(QPointF(17, 19), 7, 7);
        p.drawEllipse(QPointF(17, 31), 7, 4);
        p.drawLine(QPointF(27, 24), QPointF(38, 24));
        p.drawLine(QPointF(34, 19), QPointF(38, 24));
        p.drawLine(QPointF(34, 29), QPointF(38, 24));
        break;
    case Banking: // a screen
        p.drawRoundedRect(QRectF(11, 12, 26, 18), 2, 2);
        p.drawLine(QPointF(24, 30), QPointF(24, 36));
        p.drawLine(QPointF(16, 37), QPointF(32, 37));
        break;
    case SendReceive: // up and down
        p.drawLine(QPointF(18, 36), QPointF(18, 12));
        p.drawLine(QPointF(12, 18), QPointF(18, 12));
        p.drawLine(QPointF(24, 18), QPointF(18, 12));
        p.drawLine(QPointF(30, 12), QPointF(30, 36));
        p.drawLine(QPointF(24, 30), QPointF(30, 36));
        p.drawLine(QPointF(36, 30), QPointF(30, 36));
        break;
    default: // a door
        p.drawRect(QRectF(15, 11, 16, 26));
        p.drawLine(QPointF(25, 24), QPointF(38, 24));
        p.drawLine(QPointF(34, 20), QPointF(38, 24));
        p.drawLine(QPointF(34, 28), QPointF(38, 24));
        break;
    }
    return pm;
}

} // namespace

BackgroundArea::BackgroundArea(QWidget* parent) : QWidget(parent)
{
    setObjectName("backgroundArea");
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    auto* left = new QVBoxLayout;
    left->setContentsMargins(36, 0, 24, 30);
    left->addStretch();
    auto* row = new QHBoxLayout;
    row->setSpacing(14);
    m_transfer = makeButton(QStringLiteral("Veltrin"),
                            QStringLiteral("아파트 주민계좌에서 출금하여 관리사무소\r\n수납계좌로 "
                                           "일괄 자동 이체 처리하는서비스"),
                            Transfer);
    m_banking = makeButton(QStringLiteral("PC 뱅킹"),
                           QStringLiteral("Tervo PC뱅킹 서비스를 아이콘 클릭 한번으로 접속할수 "
                                          "있는 기능"),
                           Banking);
    m_sendReceive = makeButton(QStringLiteral("송수신"),
                               QStringLiteral("단위 업무별로 작성된 이체자료를\r\n은행에 송신하고 "
                                              "기존 송신자료의 결과를 수신"),
                               SendReceive);
    m_exit = makeButton(QStringLiteral("종료"), QStringLiteral("프로그램 종료"), Exit);
    m_transfer->setObjectName("btnTransfer");
    m_banking->setObjectName("btnBanking");
    m_sendReceive->setObjectName("btnSendReceive");
    m_exit->setObjectName("btnExit");
    for (QToolButton* b : {m_transfer, m_banking, m_sendReceive, m_exit})
        row->addWidget(b);
    row->addStretch();
    left->addLayout(row);
    outer->addLayout(left, 1);

    m_notice = new NoticePanel(this);
    outer->addWidget(m_notice);
    connect(m_notice, &NoticePanel::visibilityWanted, m_notice, &QWidget::setVisible);

    connect(m_transfer, &QToolButton::clicked, this, &BackgroundArea::transferClicked);
    connect(m_banking, &QToolButton::clicked, this, &BackgroundArea::bankingClicked);
    connect(m_sendReceive, &QToolButton::clicked, this, &BackgroundArea::sendReceiveClicked);
    connect(m_exit, &QToolButton::clicked, this, &BackgroundArea::exitClicked);
}

QToolButton* BackgroundArea::makeButton(const QString& caption, const QString& hint, int glyph)
{
    auto* b = new QToolButton(this);
    b->setText(caption);
    b->setIcon(QIcon(buttonPicture(glyph)));
    b->setIconSize(QSize(48, 48));
    b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    b->setAutoRaise(true);
    b->setFixedSize(84, 78);
    b->setToolTip(DisplayText(hint));
    b->setToolTipDuration(30000);
    b->setCursor(Qt::PointingHandCursor);
    b->setStyleSheet("QToolButton { color: white; font-weight: bold; }"
                     "QToolButton:hover { background: rgba(255,255,255,40); border-radius: 6px; }"
                     "QToolButton:disabled { color: rgba(255,255,255,110); }");
    return b;
}

void BackgroundArea::setPicture(const QString& path)
{
    m_picture = QPixmap(path);
    update();
}

void BackgroundArea::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (!m_picture.isNull()) {
        p.drawPixmap(rect(), m_picture);
        return;
    }
    // The scene shown when no picture is installed.
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, height());
    sky.setColorAt(0, QColor(0x0c, 0x2f, 0x4f));
    sky.setColorAt(0.6, QColor(0x1f, 0x5c, 0x7a));
    sky.setColorAt(1, QColor(0x2f, 0x7d, 0x6a));
    p.fillRect(rect(), sky);
    // A row of apartment blocks along the bottom.
    p.setPen(Qt::NoPen);
    const int base = height();
    const int blocks[][3] = {{20, 120, 70},  {100, 170, 60}, {170, 140, 80}, {260, 190, 64},
                             {335, 130, 72}, {415, 160, 58}, {480, 110, 50}};
    for (const auto& b : blocks) {
        p.setBrush(QColor(255, 255, 255, 28));
        p.drawRect(QRect(b[0], base - b[1], b[2], b[1]));
        p.setBrush(QColor(255, 230, 150, 60));
        for (int y = base - b[1] + 12; y < base - 16; y += 18)
            for (int x = b[0] + 8; x < b[0] + b[2] - 10; x += 16)
                p.drawRect(QRect(x, y, 7, 8));
    }
    p.drawPixmap(36, 34, AppIconPixmap(56));
    QFont f = font();
    f.setPixelSize(30);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QPoint(104, 66), kServiceName);
    f.setPixelSize(14);
    f.setBold(false);
    p.setFont(f);
    p.setPen(QColor(220, 235, 245));
    p.drawText(QPoint(106, 90), QStringLiteral("아파트 관리비 자동이체 수납 서비스"));
}

} // namespace shell::ui
