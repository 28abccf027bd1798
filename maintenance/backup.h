#pragma once

#include "maintenance/maintenance_context.h"

#include <QString>

namespace maintenance {

// Where a backup goes or a restore comes from: a hard-disk folder or one
// of the floppy drives.
enum class Medium { HardDisk, DriveA, DriveB };

// "A:", "a:\" and a path inside the configured drive folder mean drive A
// (likewise B); anything else is the hard disk. `folder` gets the folder
// to write into. False, after saying so, when a drive is meant that is not
// configured.
bool ResolveMedium(Context& ctx, const QString& destination, Medium& medium, QString& folder);

// Free bytes of a drive folder: -1 when no disk is readable there.
qint64 DriveFreeSpace(const QString& folder, qint64 diskSize);

// Archives every DataDir *.db, the evidence files and the kept exchange
// files into destination + "FA" + stamp + ".zip" (or volumes on floppies). An empty destination
// lets the user choose the folder. The caller has closed the tables. `archive` gets the stored file
// (the single archive, or the last volume).
bool Backup(Context& ctx, const QString& destination, QString* archive = nullptr);

// Refills DataDir from an archive the user chooses (or `chosen`). The old
// data stays until the new data has been extracted and checked.
bool Restore(Context& ctx, const QString& chosen = {});

// The stamp of a backup file name ("FA" + 6 or 10 digits + ".ZIP"/".001",
// compared upper-cased); empty when the program does not accept the name.
QString BackupStamp(Program program, const QString& fileName);

// Replaces DataDir's content with the database in `archive` after checking
// every entry name, the declared sizes and the database itself, while it
// holds every live database exclusively; then puts back the evidence and
// kept files the archive holds. Shows the reason and leaves DataDir exactly
// as it was on any failure before the swap (another program holding the
// data is one).
bool ReplaceDataFromArchive(shell::Ui& ui, const shell::Workspace& ws, const QString& archive);

} // namespace maintenance
