#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace platform {

// The upgrade library: asks the update server whether a newer version of
// application `appCode` exists for `userId`. This installation has no
// update server, so the stand-in always answers 2 (no upgrade).
qint32 StartUpgrade(const QByteArray& appCode, const QByteArray& userId);

} // namespace platform
