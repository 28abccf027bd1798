#pragma once

#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QStyle>

#include <functional>

class QAction;
class QMenu;
class QToolBar;
class QWidget;

namespace widgets {

// The command set every maintenance screen shares: a toolbar and a context
// menu with "입 력", "수 정", "삭 제", "저 장", "취 소", "닫 기" and their
// shortcuts, enabled by the browse / editing state.
class ScreenCommands : public QObject
{
    Q_OBJECT
public:
    enum Command { Insert, Edit, Delete, Save, Cancel, Close, CommandCount };

    // `hints` (optional) are the six tool tips in command order.
    explicit ScreenCommands(QWidget* owner, const QStringList& hints = {});

    QToolBar* toolBar() const { return m_toolBar; }
    QAction* action(Command c) const { return m_actions[c]; }
    // What each of the six commands does on the screen; an empty handler
    // leaves its command without effect.
    struct Handlers
    {
        std::function<void()> insert, edit, remove, save, cancel, close;
    };
    void setHandlers(Handlers handlers);

    // Right-click on `widget` shows the same commands, in toolbar order,
    // then the context-only ones.
    void attachContextMenu(QWidget* widget);

    // A command of the screen's own, placed on the toolbar before `before`
    // (and so in the context menu). With `menu` the button drops it down;
    // the menu's entries keep their shortcuts while the screen is shown.
    QAction* addCommand(const QString& text, const QKeySequence& key, QStyle::StandardPixmap icon,
                        Command before, QMenu* menu = nullptr);
    // An entry only the context menu carries.
    void addContextAction(QAction* action);

    // View-only screens never enable insert, edit and delete.
    void setViewOnly(bool viewOnly);
    bool viewOnly() const { return m_viewOnly; }
    void setBrowse(bool tableEmpty);
    void setEditing();
    bool editing() const { return m_editing; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    void triggered(widgets::ScreenCommands::Command command);

private:
    QToolBar* m_toolBar;
    QAction* m_actions[CommandCount];
    QList<QAction*> m_contextOnly;
    bool m_viewOnly = false;
    bool m_editing = false;
    bool m_tableEmpty = false;
};

} // namespace widgets
