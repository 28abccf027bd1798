#pragma once

#include <QPixmap>
#include <QWidget>

class QToolButton;

namespace shell::ui {

class NoticePanel;

// What the main window shows while no working screen is open: the
// background picture, the picture buttons and the notice panel.
class BackgroundArea : public QWidget
{
    Q_OBJECT
public:
    explicit BackgroundArea(QWidget* parent = nullptr);

    // The picture file; a missing or unreadable one gives the drawn scene.
    void setPicture(const QString& path);
    bool hasPicture() const { return !m_picture.isNull(); }

    NoticePanel* notice() const { return m_notice; }
    QToolButton* transferButton() const { return m_transfer; }
    QToolButton* bankingButton() const { return m_banking; }
    QToolButton* sendReceiveButton() const { return m_sendReceive; }
    QToolButton* exitButton() const { return m_exit; }

signals:
    void transferClicked();
    void bankingClicked();
    void sendReceiveClicked();
    void exitClicked();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QToolButton* makeButton(const QString& caption, const QString& hint, int glyph);

    QPixmap m_picture;
    NoticePanel* m_notice;
    QToolButton* m_transfer;
    QToolButton* m_banking;
    QToolButton* m_sendReceive;
    QToolButton* m_exit;
};

} // namespace shell::ui
