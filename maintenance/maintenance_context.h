#pragma once

#include <QString>

namespace shell {
class Ui;
struct Workspace;
}

// What the backup, restore, reorganise and help-desk operations share:
// the two programs run the same operations with small differences.
namespace maintenance {

enum class Program { Pelmar, Vandry };

// The floppy drives. On this platform a drive is a folder (a mounted
// removable disk); none is configured unless Firm.ini names one:
//   [Backup] DriveA=/media/floppy  DriveB=…  DiskSize=1457664
struct Media
{
    QString driveA; // ending in the separator; empty when not configured
    QString driveB;
    // Bytes one disk holds; the free space of a drive is never taken as
    // more than this minus what its files already use. 0: no limit.
    qint64 diskSize = 1457664;
};

Media ReadMedia(const shell::Workspace& ws);

struct Context
{
    shell::Ui& ui;
    shell::Workspace& ws; // a help-desk send moves its transfer folders
    Program program = Program::Pelmar;
    Media media = ReadMedia(ws);
};

} // namespace maintenance
