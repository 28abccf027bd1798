#include "widgets/screen_commands.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QWidget>

namespace widgets {

ScreenCommands::ScreenCommands(QWidget* owner, const QStringList& hints)
    : QObject(owner), m_toolBar(new QToolBar(owner))
{
    struct Def
    {
        const char* text;
        QKeySequence key;
        QStyle::StandardPixmap icon;
    };
    const Def defs[CommandCount] = {
        {"입 력", QKeySequence(Qt::CTRL | Qt::Key_I), QStyle::SP_FileIcon},
        {"수 정", QKeySequence(Qt::CTRL | Qt::Key_E), QStyle::SP_FileDialogDetailedView},
        {"삭 제", QKeySequence(Qt::CTRL | Qt::Key_D), QStyle::SP_TrashIcon},
        {"저 장", QKeySequence(Qt::CTRL | Qt::Key_S), QStyle::SP_DialogSaveButton},
        {"취 소", QKeySequence(Qt::Key_Escape), QStyle::SP_DialogCancelButton},
        {"닫 기", QKeySequence(Qt::CTRL | Qt::Key_F4), QStyle::SP_DialogCloseButton},
    };
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_toolBar->setMovable(false);
    for (int i = 0; i < CommandCount; ++i) {
        QAction* a = new QAction(owner->style()->standardIcon(defs[i].icon),
                                 QString::fromUtf8(defs[i].text), owner);
        a->setShortcut(defs[i].key);
        a->setShortcutContext(Qt::WindowShortcut);
        if (i < hints.size()) {
            a->setToolTip(hints[i]);
            a->setStatusTip(hints[i]);
        }
        owner->addAction(a);
        m_toolBar->addAction(a);
        if (i == Delete || i == Cancel)
            m_toolBar->addSeparator();
        connect(a, &QAction::triggered, this, [this, i] { emit triggered(Command(i)); });
        m_actions[i] = a;
    }
    setBrowse(false);
    // Enter moves on to the next field, as on every entry screen; grids and
    // multi-line texts take the key themselves and never pass it up here.
    owner->installEventFilter(this);
}

bool ScreenCommands::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
        if (enter && (mods == Qt::NoModifier || mods == Qt::ShiftModifier)) {
            if (QWidget* focus = QApplication::focusWidget()) {
                const bool back = mods == Qt::ShiftModifier;
                QKeyEvent tab(QEvent::KeyPress, back ? Qt::Key_Backtab : Qt::Key_Tab,
                              back ? Qt::ShiftModifier : Qt::NoModifier);
                QCoreApplication::sendEvent(focus, &tab);
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

void ScreenCommands::setHandlers(Handlers h)
{
    connect(this, &ScreenCommands::triggered, this, [h = std::move(h)](Command c) {
        const std::function<void()>* handler[CommandCount] = {&h.insert, &h.edit, &h.remove,
                                                              &h.save,   &h.cancel, &h.close};
        if (c >= 0 && c < CommandCount && *handler[c])
            (*handler[c])();
    });
}

void ScreenCommands::attachContextMenu(QWidget* widget)
{
    widget->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(widget, &QWidget::customContextMenuRequested, this, [this, widget](const QPoint& at) {
        QMenu menu(widget);
        // The same actions, so enabled and checked states match.
        for (QAction* a : m_toolBar->actions())
            menu.addAction(a);
        if (!m_contextOnly.isEmpty())
            menu.addSeparator();
        for (QAction* a : m_contextOnly)
            menu.addAction(a);
        menu.exec(widget->mapToGlobal(at));
    });
}

QAction* ScreenCommands::addCommand(const QString& text, const QKeySequence& key,
                                    QStyle::StandardPixmap icon, Command before, QMenu* menu)
{
    auto* owner = static_cast<QWidget*>(parent());
    QAction* a = new QAction(owner->style()->standardIcon(icon), text, owner);
    if (!key.isEmpty()) {
        a->setShortcut(key);
        a->setShortcutContext(Qt::WindowShortcut);
    }
    owner->addAction(a);
    if (menu) {
        a->setMenu(menu);
        // Entries of a drop-down answer their keys as long as the screen does.
        for (QAction* entry : menu->actions())
            if (!entry->shortcut().isEmpty())
                owner->addAction(entry);
    }
    m_toolBar->insertAction(m_actions[before], a);
    if (menu)
        if (auto* button = qobject_cast<QToolButton*>(m_toolBar->widgetForAction(a)))
            button->setPopupMode(QToolButton::InstantPopup);
    return a;
}

void ScreenCommands::addContextAction(QAction* action)
{
    m_contextOnly.append(action);
    static_cast<QWidget*>(parent())->addAction(action);
}

void ScreenCommands::setViewOnly(bool viewOnly)
{
    m_viewOnly = viewOnly;
    if (!m_editing)
        setBrowse(m_tableEmpty);
}

void ScreenCommands::setBrowse(bool tableEmpty)
{
    m_editing = false;
    m_tableEmpty = tableEmpty;
    m_actions[Insert]->setEnabled(!m_viewOnly);
    m_actions[Edit]->setEnabled(!m_viewOnly && !tableEmpty);
    m_actions[Delete]->setEnabled(!m_viewOnly && !tableEmpty);
    m_actions[Save]->setEnabled(false);
    m_actions[Cancel]->setEnabled(false);
    m_actions[Close]->setEnabled(true);
}

void ScreenCommands::setEditing()
{
    m_editing = true;
    m_actions[Insert]->setEnabled(false);
    m_actions[Edit]->setEnabled(false);
    m_actions[Delete]->setEnabled(false);
    m_actions[Save]->setEnabled(true);
    m_actions[Cancel]->setEnabled(true);
    m_actions[Close]->setEnabled(true);
}

} // namespace widgets
