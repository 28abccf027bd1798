#include "maintenance/ui/tfm_vandry.h"

#include "edi/link.h"
#include "maintenance/backup.h"
#include "maintenance/help_desk.h"
#include "maintenance/reorganise.h"
#include "maintenance/vandry_setup.h"
#include "shell/startup.h"
#include "shell/ui.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMenu>
#include <QScopeGuard>
#include <QScreen>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

namespace maintenance::ui {

TfmVandry::TfmVandry(shell::Ui& ui, edi::Link& link, shell::Workspace& ws, QStringList arguments,
                     QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint |
                          Qt::WindowMinimizeButtonHint),
      m_ui(ui), m_link(link), m_ws(ws), m_arguments(std::move(arguments))
{
    setWindowTitle(kVandryCaption);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    auto* bar = new QToolBar(this);
    bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    bar->setIconSize(QSize(24, 24));
    layout->addWidget(bar);

    const auto add = [&](const QString& text, QStyle::StandardPixmap icon) {
        auto* b = new QToolButton(bar);
        b->setText(text);
        b->setIcon(style()->standardIcon(icon));
        b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        b->setAutoRaise(true);
        b->setMinimumWidth(70);
        bar->addWidget(b);
        m_buttons.append(b);
        return b;
    };
    connect(add(QStringLiteral("자료 백업"), QStyle::SP_DialogSaveButton), &QToolButton::clicked,
            this, [this] { BtnBackupClick(); });
    connect(add(QStringLiteral("자료 복구"), QStyle::SP_DialogOpenButton), &QToolButton::clicked,
            this, [this] { BtnRestoreClick(); });
    connect(add(QStringLiteral("자료재정리"), QStyle::SP_BrowserReload), &QToolButton::clicked,
            this, [this] { BtnReorganiseClick(); });
    QToolButton* send = add(QStringLiteral("자료보내기"), QStyle::SP_ArrowForward);
    m_sendMenu = new QMenu(send);
    connect(m_sendMenu->addAction(QStringLiteral("DB 자료 보내기")), &QAction::triggered, this,
            [this] { MnuSendDataClick(); });
    connect(m_sendMenu->addAction(QStringLiteral("파일 보내기")), &QAction::triggered, this,
            [this] { MnuSendFileClick(); });
    m_sendMenu->addSeparator();
    connect(m_sendMenu->addAction(QStringLiteral("통신 환경 설정")), &QAction::triggered, this,
            [this] { MnuLinkSettingsClick(); });
    send->setMenu(m_sendMenu);
    send->setPopupMode(QToolButton::InstantPopup);
    connect(add(QStringLiteral("종  료"), QStyle::SP_DialogCloseButton), &QToolButton::clicked,
            this, &QWidget::close);

    setFixedSize(377, 63);
}

QToolButton* TfmVandry::button(const QString& text) const
{
    for (QToolButton* b : m_buttons)
        if (b->text() == text)
            return b;
    return nullptr;
}

bool TfmVandry::upgradeMode() const
{
    return shell::IsUpgradeArgument(m_arguments);
}

void TfmVandry::placeWindow()
{
    adjustSize();
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    if (!m_arguments.isEmpty()) {
        move(4096, area.top() + (area.height() - height()) / 2);
        return;
    }
    move(area.left() + (area.width() - width()) / 2, area.top() + (area.height() - height()) / 2);
}

template <typename Work> auto TfmVandry::whileDisabled(Work work)
{
    const auto enable = qScopeGuard([this] {
        m_ui.CloseWait();
        setEnabled(true);
    });
    setEnabled(false);
    return work();
}

bool TfmVandry::BtnBackupClick()
{
    Context ctx{m_ui, m_ws, Program::Vandry};
    if (!whileDisabled([&] { return Backup(ctx, {}); }))
        return false;
    m_ui.ShowInfo(QStringLiteral("자료 백업이 완료되었습니다."));
    return true;
}

bool TfmVandry::BtnRestoreClick()
{
    Context ctx{m_ui, m_ws, Program::Vandry};
    if (!whileDisabled([&] { return Restore(ctx) && Reorganise(ctx); }))
        return false;
    m_ui.ShowInfo(QStringLiteral("자료 복구가 완료되었습니다."));
    return true;
}

bool TfmVandry::BtnReorganiseClick()
{
    Context ctx{m_ui, m_ws, Program::Vandry};
    if (!whileDisabled([&] { return Reorganise(ctx); }))
        return false;
    m_ui.ShowInfo(QStringLiteral("자료 재정리가 완료되었습니다."));
    return true;
}

template <typename Send> bool TfmVandry::sendToHelpDesk(Send send, const QString& doneText)
{
    Context ctx{m_ui, m_ws, Program::Vandry};
    const SendOutcome o = whileDisabled([&] { return send(ctx); });
    if (o.sent)
        m_ui.ShowInfo(doneText);
    else if (o.linkCalled)
        m_ui.ShowInfo(o.link.message);
    return o.sent;
}

bool TfmVandry::MnuSendDataClick()
{
    return sendToHelpDesk([this](Context& ctx) { return SendDataToHelpDesk(ctx, m_link); },
                          QStringLiteral("DB 자료 보내기가 완료되었습니다."));
}

bool TfmVandry::MnuSendFileClick()
{
    return sendToHelpDesk([this](Context& ctx) { return SendFileToHelpDesk(ctx, m_link); },
                          QStringLiteral("파일 보내기가 완료되었습니다."));
}

void TfmVandry::MnuLinkSettingsClick()
{
    edi::LinkSetup(m_link, m_ws);
}

void TfmVandry::RunUpgradeStep()
{
    m_upgradeStarted = true;
    {
        Context ctx{m_ui, m_ws, Program::Vandry};
        whileDisabled([&] { return FinishUpgrade(ctx); });
    }
    close();
}

void TfmVandry::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (upgradeMode() && !m_upgradeStarted) {
        m_upgradeStarted = true;
        QMetaObject::invokeMethod(this, &TfmVandry::RunUpgradeStep, Qt::QueuedConnection);
    }
}

} // namespace maintenance::ui
