#pragma once

#include <initializer_list>
#include <utility>

namespace widgets {

// The widget that shows `field`, from a screen's table of its fields, or
// `otherwise` for a field the table leaves out. A save that fails names the
// field to correct; the screen puts the focus on its widget.
template <typename Widget, typename Field>
Widget* WidgetFor(Field field, std::initializer_list<std::pair<Field, Widget*>> table,
                  Widget* otherwise = nullptr)
{
    for (const auto& [f, widget] : table)
        if (f == field)
            return widget;
    return otherwise;
}

} // namespace widgets
