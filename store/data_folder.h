#pragma once

#include <QString>

namespace store {

// A restore swaps whole data folders: the new data is unpacked beside the
// data folder, the data folder is renamed aside, and the new one takes its
// name. Both renames stay on one disk.

// Where the new data is unpacked ("Data.restore" beside "Data").
QString StagedDataDir(const QString& dataDir);
// Where the old data waits until the new one is in place ("Data.old").
QString SwappedOutDataDir(const QString& dataDir);

// A program ended between the two renames leaves no data folder but the old
// one aside: put it back, so that nothing opens a blank database in its
// place. Returns true when it did.
bool RecoverSwappedOutData(const QString& dataDir);

} // namespace store
