#pragma once

#include <QIcon>
#include <QPixmap>

namespace shell::ui {

// The program's emblem, drawn rather than shipped so that every window,
// the wait window and the about box carry the same one.
QPixmap AppIconPixmap(int size);
QIcon AppIcon();

} // namespace shell::ui
