#pragma once

#include <QString>

class QHeaderView;

namespace widgets {

// Keeps a grid's column widths between openings, in the user's screen
// settings under "Firm", section `section`.
void RestoreColumns(QHeaderView* header, const QString& section);
void SaveColumns(const QHeaderView* header, const QString& section);

} // namespace widgets
