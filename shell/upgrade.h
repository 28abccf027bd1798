#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

namespace shell {

class Ui;
struct Workspace;

// The upgrade library's call: application code and user ID in, result out.
using UpgradeCall = std::function<qint32(const QByteArray& appCode, const QByteArray& userId)>;
// Starts the upgrader; true when it started.
using UpgraderStart = std::function<bool()>;

// The user's text for an upgrade result; empty for 1 (upgrade) and 2 (none).
QString UpgradeResultMessage(qint32 result);

// Asks the library with the link's LoginID. True only when it answered 1
// and the upgrader started: the program must then end at once. Every
// other result lets start-up go on, after its message where it has one.
bool CheckForUpgrade(Ui& ui, const UpgradeCall& call, const UpgraderStart& start);
// The library of this installation and the upgrader beside the program.
bool CheckForUpgrade(Ui& ui, const Workspace& ws);
bool StartUpgrader(const Workspace& ws);

// Writes Dir and Ver of the program and its two libraries under
// Software\SORVANGRADE\QV. Stops at the first key that cannot be opened.
bool RegisterComponentVersions(const Workspace& ws);

// Marks the link's user key with AppTypeCode "TVA" when the key exists and
// the value is missing; never creates the key, never changes another text.
void EnsureAppTypeCode();

} // namespace shell
