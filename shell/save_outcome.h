#pragma once

#include "shell/ui.h"

#include <QString>

namespace shell {

// What the save of a screen's row reports: stored, or refused with the
// field the user must look at. `Field` is the screen's enum of fields, whose
// `None` names no field.
template <typename Field> struct SaveOutcome
{
    bool saved = false;
    Field focus = Field::None;
};

// Shows why a save was refused and names the field at fault.
template <typename Field> SaveOutcome<Field> RefuseSave(Ui& ui, const QString& text, Field field)
{
    ui.ShowInfo(text);
    return {false, field};
}

} // namespace shell
