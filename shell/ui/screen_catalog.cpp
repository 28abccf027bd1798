#include "shell/ui/screen_catalog.h"

namespace shell::ui {

const ScreenCatalog::Opener* ScreenCatalog::opener(Screen screen) const
{
    const auto it = m_screens.find(screen);
    return it == m_screens.end() ? nullptr : &it->second;
}

const ScreenCatalog::ChildFactory* ScreenCatalog::child(ChildKind kind) const
{
    const auto it = m_children.find(kind);
    return it == m_children.end() ? nullptr : &it->second;
}

} // namespace shell::ui
