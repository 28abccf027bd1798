#pragma once

#include <QMetaObject>

namespace widgets {

// Queues `activate` after a window's first show only, so that it runs with
// the window on screen; a message box handing the focus back shows the
// window again and must not start the work a second time.
template <typename Window>
void ActivateOnFirstShow(Window* window, bool& shown, void (Window::*activate)())
{
    if (shown)
        return;
    shown = true;
    QMetaObject::invokeMethod(window, activate, Qt::QueuedConnection);
}

} // namespace widgets
